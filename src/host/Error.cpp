#include "host/Error.h"

#include <new>
#include <stdexcept>

namespace host {

std::string DescriptionOf(int32_t nNumber) {
  switch (nNumber) {
    case err::InvalidProcedureCall: return "Invalid procedure call or argument";
    case err::Overflow: return "Overflow";
    case err::OutOfMemory: return "Out of memory";
    case err::SubscriptOutOfRange: return "Subscript out of range";
    case err::TypeMismatch: return "Type mismatch";
    case err::InternalError: return "Internal error";
    case err::ObjectNotSet: return "Object variable or With block variable not set";
    case err::InvalidUseOfNull: return "Invalid use of Null";
    case err::CantCreateObject: return "ActiveX component can't create object";
    case err::NoSuchMember: return "Object doesn't support this property or method";
    case err::DuplicateKey: return "This key is already associated with an element of this collection";
    case err::E_FAIL: return "Unspecified error";
    default: return "Application-defined or object-defined error";
  }
}

void Raise(int32_t nNumber) {
  throw Error(nNumber, DescriptionOf(nNumber));
}

void Raise(int32_t nNumber, std::string sDescription) {
  throw Error(nNumber, std::move(sDescription));
}

ErrorInfo CurrentError() noexcept {
  try {
    std::exception_ptr p = std::current_exception();
    if (!p) return {};
    try {
      std::rethrow_exception(p);
    } catch (const Error& e) {
      return {e.Number(), e.Description()};
    } catch (const std::bad_alloc&) {
      return {err::OutOfMemory, DescriptionOf(err::OutOfMemory)};
    } catch (const std::out_of_range& e) {
      return {err::SubscriptOutOfRange, e.what()};
    } catch (const std::exception& e) {
      return {err::InternalError, e.what()};
    } catch (...) {
      return {err::InternalError, DescriptionOf(err::InternalError)};
    }
  } catch (...) {
    // Building the strings above can itself fail only for lack of memory.
    return {err::OutOfMemory, {}};
  }
}

}  // namespace host
