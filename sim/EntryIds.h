// Entry identifiers of the simulated stores and address book: upper-case hexadecimal text, made
// stably from names and positions so that a profile gives the same IDs on every run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Throws std::invalid_argument for anything but an even number of hexadecimal digits.
std::vector<uint8_t> BytesOfHex(std::string_view sHex);
bool IsHexEntryID(std::string_view s);
// Entry IDs compare without regard to the case of the digits.
std::string NormalEntryID(std::string_view s);

uint64_t StableHash(std::string_view s, uint64_t nSeed = 0);

// Entry IDs made from a seed text (store name, folder path, item place); nSalt changes the
// result when the first choice is already taken.
std::string MakeStoreID(std::string_view sSeed, uint32_t nSalt = 0);
std::string MakeFolderID(std::string_view sSeed, uint32_t nSalt = 0);
std::string MakeItemID(std::string_view sSeed, uint32_t nSalt = 0);
std::string MakeAddressBookID(std::string_view sSeed, uint32_t nSalt = 0);

// The one-off entry ID of an address that is in no address book (MAPI's ONEOFFENTRYID with
// Unicode strings), and its reading; false when the ID is not a one-off ID.
std::string MakeOneOffID(std::string_view sName, std::string_view sType, std::string_view sAddress);
bool ReadOneOffID(std::string_view sEntryID, std::string& sName, std::string& sType, std::string& sAddress);

}  // namespace sim
