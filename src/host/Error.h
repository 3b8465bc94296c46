// The one error type that crosses every host and runtime boundary, and the helpers that
// stand for Visual Basic's "On Error" styles.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <utility>

namespace host {

// Visual-Basic-style run-time error numbers the add-in raises itself.
namespace err {
constexpr int32_t InvalidProcedureCall = 5;
constexpr int32_t Overflow = 6;
constexpr int32_t OutOfMemory = 7;
constexpr int32_t SubscriptOutOfRange = 9;
constexpr int32_t TypeMismatch = 13;
constexpr int32_t InternalError = 51;
constexpr int32_t ObjectNotSet = 91;
constexpr int32_t InvalidUseOfNull = 94;
constexpr int32_t CantCreateObject = 429;
constexpr int32_t NoSuchMember = 438;
constexpr int32_t DuplicateKey = 457;
// COM-style failure used by the host when it has nothing more precise to say. windows.h makes
// E_FAIL a macro of the same value: the name is shielded here so this header also works after
// windows.h, where code then uses the macro.
#pragma push_macro("E_FAIL")
#undef E_FAIL
constexpr int32_t E_FAIL = static_cast<int32_t>(0x80004005u);
#pragma pop_macro("E_FAIL")
}  // namespace err

class Error : public std::exception {
 public:
  Error(int32_t nNumber, std::string sDescription)
      : m_nNumber(nNumber), m_sDescription(std::move(sDescription)) {}

  int32_t Number() const noexcept { return m_nNumber; }
  const std::string& Description() const noexcept { return m_sDescription; }
  const char* what() const noexcept override { return m_sDescription.c_str(); }

 private:
  int32_t m_nNumber;
  std::string m_sDescription;
};

// Number and description of an error, as the handler of a routine sees it.
struct ErrorInfo {
  int32_t nNumber = 0;
  std::string sDescription;
};

// Reads the error that is being handled (inside a catch block). Outside a catch, or for an
// exception that is not ours, it still yields a number and a text, never throws.
ErrorInfo CurrentError() noexcept;

// Standard texts of the runtime errors, so every raise of one number reads the same.
std::string DescriptionOf(int32_t nNumber);
[[noreturn]] void Raise(int32_t nNumber);
[[noreturn]] void Raise(int32_t nNumber, std::string sDescription);

// Dereferencing Nothing is error 91, never a crash.
template <class T>
T& Deref(const std::shared_ptr<T>& p) {
  if (!p) Raise(err::ObjectNotSet);
  return *p;
}
template <class T>
T& Deref(const std::unique_ptr<T>& p) {
  if (!p) Raise(err::ObjectNotSet);
  return *p;
}

// One step of a routine that ignores errors step by step ("On Error Resume Next").
template <class F>
void IgnoreErrors(F&& fnStep) noexcept {
  try {
    std::forward<F>(fnStep)();
  } catch (...) {
  }
}

}  // namespace host
