#include "platform/portable/SqliteRegistry.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "host/Text.h"

namespace platform::portable {

using namespace platform::reg;
namespace {

// Marks a file as ours ("QREG") and gives the layout of its tables.
constexpr int64_t kApplicationId = 0x51524547;
// 2: names holding a byte without a code-page character fold apart from '?'.
constexpr int64_t kSchemaVersion = 2;
// Another process may hold the file for the length of one write; waiting this long means it hangs.
constexpr int kBusyTimeoutMs = 10000;
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
// FILETIME of the Unix epoch, in 100 ns units since 1601.
constexpr uint64_t kUnixEpochFileTime = 116444736000000000ull;

constexpr const char* kSchema = R"sql(
CREATE TABLE keys(
  id INTEGER PRIMARY KEY AUTOINCREMENT,  -- never reused, so a stale handle cannot reach a new key
  parent INTEGER NOT NULL,               -- 0 for the predefined roots
  name BLOB NOT NULL,                    -- as given, ANSI
  folded TEXT NOT NULL,                  -- case-folded UTF-8, for look-up
  written INTEGER NOT NULL,              -- FILETIME of the last change
  UNIQUE(parent, folded));
CREATE TABLE vals(
  key INTEGER NOT NULL,
  name BLOB NOT NULL,
  folded TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key, folded));
INSERT INTO keys(id, parent, name, folded, written) VALUES
  (1, 0, 'reg::ClassesRoot', 'hkey_classes_root', 0),
  (2, 0, 'reg::CurrentUser', 'hkey_current_user', 0),
  (3, 0, 'reg::LocalMachine', 'hkey_local_machine', 0);
)sql";

// Internal failures unwind to the entry point, which answers with the status.
struct Failure {
  LSTATUS nStatus;
  std::string sWhy;
};

[[noreturn]] void Fail(LSTATUS nStatus, std::string sWhy = {}) {
  throw Failure{nStatus, std::move(sWhy)};
}

LSTATUS StatusOfSqlite(int nCode) {
  switch (nCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return reg::ErrorBusy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return reg::ErrorRegistryCorrupt;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return reg::ErrorAccessDenied;
    case SQLITE_FULL: return reg::ErrorDiskFull;
    case SQLITE_NOMEM: return reg::ErrorOutofmemory;
    default: return reg::ErrorRegistryIoFailed;
  }
}

[[noreturn]] void FailSqlite(sqlite3* pDb, int nCode) {
  Fail(StatusOfSqlite(nCode), pDb ? sqlite3_errmsg(pDb) : sqlite3_errstr(nCode));
}

void Exec(sqlite3* pDb, const char* sSql) {
  int nCode = sqlite3_exec(pDb, sSql, nullptr, nullptr, nullptr);
  if (nCode != SQLITE_OK) FailSqlite(pDb, nCode);
}

// Prepared statements are kept per connection and reused: the add-in reads its options on every
// access, often once per item of a large folder, and preparing costs more than the read.
struct CachedStatement {
  sqlite3_stmt* pStmt = nullptr;
  bool bInUse = false;
};
using StatementCache = std::map<std::pair<sqlite3*, const char*>, CachedStatement>;

// Never destroyed: a registry held by a global may close its connection after static objects
// of this file are gone.
StatementCache& Statements() {
  static auto* s_pStatements = new StatementCache;
  return *s_pStatements;
}

// Finalizes the connection's kept statements; before it closes.
void ForgetStatements(sqlite3* pDb) {
  auto& mapStatements = Statements();
  for (auto it = mapStatements.begin(); it != mapStatements.end();) {
    if (it->first.first == pDb) {
      sqlite3_finalize(it->second.pStmt);
      it = mapStatements.erase(it);
    } else {
      ++it;
    }
  }
}

class CStatement {
 public:
  // sSql must be a literal: its address is the key of the kept statement.
  CStatement(sqlite3* pDb, const char* sSql) : m_pDb(pDb) {
    auto [it, bNew] = Statements().try_emplace({pDb, sSql});
    if (!bNew && !it->second.bInUse) {
      m_pCached = &it->second;
    } else if (bNew) {
      int nCode = sqlite3_prepare_v3(pDb, sSql, -1, SQLITE_PREPARE_PERSISTENT, &it->second.pStmt, nullptr);
      if (nCode != SQLITE_OK) {
        Statements().erase(it);
        FailSqlite(pDb, nCode);
      }
      m_pCached = &it->second;
    }
    if (m_pCached) {
      m_pCached->bInUse = true;
      m_pStmt = m_pCached->pStmt;
      return;
    }
    // The same statement is already running further up the stack: a private copy.
    int nCode = sqlite3_prepare_v2(pDb, sSql, -1, &m_pStmt, nullptr);
    if (nCode != SQLITE_OK) FailSqlite(pDb, nCode);
  }
  ~CStatement() {
    if (m_pCached) {
      sqlite3_reset(m_pStmt);
      sqlite3_clear_bindings(m_pStmt);
      m_pCached->bInUse = false;
    } else {
      sqlite3_finalize(m_pStmt);
    }
  }
  CStatement(const CStatement&) = delete;
  CStatement& operator=(const CStatement&) = delete;

  CStatement& Bind(int nIndex, int64_t nValue) {
    Check(sqlite3_bind_int64(m_pStmt, nIndex, nValue));
    return *this;
  }
  CStatement& BindText(int nIndex, std::string_view s) {
    Check(sqlite3_bind_text(m_pStmt, nIndex, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT));
    return *this;
  }
  // A non-null pointer even for no bytes: a null one would bind NULL, not an empty blob.
  CStatement& BindBlob(int nIndex, const void* pData, size_t nSize) {
    Check(sqlite3_bind_blob(m_pStmt, nIndex, nSize ? pData : "", static_cast<int>(nSize), SQLITE_TRANSIENT));
    return *this;
  }
  // True when a row is there to read.
  bool Step() {
    int nCode = sqlite3_step(m_pStmt);
    if (nCode == SQLITE_ROW) return true;
    if (nCode == SQLITE_DONE) return false;
    FailSqlite(m_pDb, nCode);
  }
  int64_t Int(int nColumn) { return sqlite3_column_int64(m_pStmt, nColumn); }
  std::string Bytes(int nColumn) {
    const void* p = sqlite3_column_blob(m_pStmt, nColumn);
    int n = sqlite3_column_bytes(m_pStmt, nColumn);
    return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
  }

 private:
  void Check(int nCode) {
    if (nCode != SQLITE_OK) FailSqlite(m_pDb, nCode);
  }
  sqlite3* m_pDb;
  sqlite3_stmt* m_pStmt = nullptr;
  CachedStatement* m_pCached = nullptr;
};

// The statements of a transaction, kept like the others: every registry call runs one, and
// parsing them anew each time cost more than the call's own work.
constexpr const char* kBegin = "BEGIN";
constexpr const char* kBeginImmediate = "BEGIN IMMEDIATE";
constexpr const char* kCommit = "COMMIT";
constexpr const char* kRollback = "ROLLBACK";

// A write takes the file's write lock at once (BEGIN IMMEDIATE), so two writers queue on the
// busy timeout instead of deadlocking on a lock upgrade. Rolled back unless committed.
class CTransaction {
 public:
  CTransaction(sqlite3* pDb, bool bWrite) : m_pDb(pDb) {
    CStatement(pDb, bWrite ? kBeginImmediate : kBegin).Step();
  }
  ~CTransaction() {
    if (!m_bOpen) return;
    // A failed statement may have ended the transaction already; nothing is left to undo then.
    try {
      CStatement(m_pDb, kRollback).Step();
    } catch (...) {
    }
  }
  CTransaction(const CTransaction&) = delete;
  CTransaction& operator=(const CTransaction&) = delete;
  void Commit() {
    CStatement(m_pDb, kCommit).Step();
    m_bOpen = false;
  }

 private:
  sqlite3* m_pDb;
  bool m_bOpen = true;
};

// The look-up form of a name: its characters case-folded, as Windows compares them. The five
// bytes without a character in code page 1252 stand for the control characters of the same
// number, as Windows reads them, so that no two different names ever share a folded form ("A\x81"
// and "A?" are two values).
std::string FoldName(std::string_view sAnsi) {
  std::string sText;
  sText.reserve(sAnsi.size());
  size_t nStart = 0;
  for (size_t i = 0; i < sAnsi.size(); ++i) {
    auto c = static_cast<unsigned char>(sAnsi[i]);
    if (c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D) continue;
    sText += host::AnsiToUtf8(sAnsi.substr(nStart, i - nStart));
    host::AppendUtf8(c, sText);
    nStart = i + 1;
  }
  sText += host::AnsiToUtf8(sAnsi.substr(nStart));
  return host::FoldCase(sText);
}

uint64_t NowFileTime() {
  auto nTicks = std::chrono::duration_cast<std::chrono::nanoseconds>(
                    std::chrono::system_clock::now().time_since_epoch())
                    .count() /
                100;
  return static_cast<uint64_t>(nTicks) + kUnixEpochFileTime;
}

REGSAM MapGenericAccess(REGSAM sam) {
  if (sam & (reg::GenericAll | reg::MaximumAllowed)) sam |= reg::KeyAllAccess;
  if (sam & reg::GenericRead) sam |= reg::KeyRead;
  if (sam & reg::GenericWrite) sam |= reg::KeyWrite;
  return sam;
}

// "A\B\C" into its names. As in the Windows registry a path may not start with a backslash,
// while doubled and trailing ones are passed over.
std::vector<std::string> SplitPath(const char* lpSubKey) {
  std::vector<std::string> vecNames;
  std::string_view sPath = lpSubKey ? lpSubKey : "";
  if (!sPath.empty() && sPath.front() == '\\') Fail(reg::ErrorBadPathname);
  size_t nStart = 0;
  while (nStart < sPath.size()) {
    size_t nEnd = std::min(sPath.find('\\', nStart), sPath.size());
    std::string_view sName = sPath.substr(nStart, nEnd - nStart);
    if (sName.size() > kMaxKeyNameLength) Fail(reg::ErrorInvalidParameter);
    if (!sName.empty()) vecNames.emplace_back(sName);
    nStart = nEnd + 1;
  }
  return vecNames;
}

std::string ValueName(const char* lpValueName) {
  std::string sName = lpValueName ? lpValueName : "";
  if (sName.size() > kMaxValueNameLength) Fail(reg::ErrorInvalidParameter);
  return sName;
}

// A name and its terminating zero into a caller's buffer of *lpcch characters.
LSTATUS CopyName(const std::string& sName, char* lpBuffer, DWORD* lpcch) {
  if (sName.size() + 1 > *lpcch) return reg::ErrorMoreData;
  std::memcpy(lpBuffer, sName.data(), sName.size());
  lpBuffer[sName.size()] = '\0';
  *lpcch = static_cast<DWORD>(sName.size());
  return reg::Success;
}

// Data into a caller's buffer: no buffer asks for the size only; a short one gets
// ERROR_MORE_DATA and the size needed.
LSTATUS CopyData(const std::string& sData, BYTE* lpData, DWORD* lpcbData) {
  if (!lpcbData) return reg::Success;
  auto cbNeeded = static_cast<DWORD>(sData.size());
  if (lpData) {
    if (*lpcbData < cbNeeded) {
      *lpcbData = cbNeeded;
      return reg::ErrorMoreData;
    }
    std::memcpy(lpData, sData.data(), sData.size());
  }
  *lpcbData = cbNeeded;
  return reg::Success;
}

}  // namespace

struct SqliteRegistry::Impl {
  struct OpenKey {
    int64_t nId = 0;
    REGSAM samAccess = 0;
  };

  std::mutex m_mtx;
  sqlite3* m_pDb = nullptr;
  std::string m_sLoadError;
  // What every call answers while no file is usable.
  LSTATUS m_nUnusable = reg::Success;
  std::map<intptr_t, OpenKey> m_mapHandles;
  intptr_t m_nNextHandle = 0x1000;

  ~Impl() { CloseDb(); }

  void CloseDb() {
    if (!m_pDb) return;
    ForgetStatements(m_pDb);
    sqlite3_close_v2(m_pDb);
    m_pDb = nullptr;
  }

  void Open(const std::string& sTarget, const std::filesystem::path* pPath) {
    try {
      if (pPath && pPath->has_parent_path()) {
        std::error_code ec;
        std::filesystem::create_directories(pPath->parent_path(), ec);
        if (ec) Fail(reg::ErrorRegistryIoFailed, "its folder cannot be created: " + ec.message());
      }
      int nCode =
          sqlite3_open_v2(sTarget.c_str(), &m_pDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
      if (nCode != SQLITE_OK) FailSqlite(m_pDb, nCode);
      sqlite3_busy_timeout(m_pDb, kBusyTimeoutMs);
      Exec(m_pDb, "PRAGMA synchronous=FULL");
      CheckOrCreateSchema();
    } catch (const Failure& f) {
      Unusable(pPath, f.nStatus, f.sWhy);
    } catch (const std::exception& e) {
      Unusable(pPath, reg::ErrorInternalError, e.what());
    }
  }

  void Unusable(const std::filesystem::path* pPath, LSTATUS nStatus, const std::string& sWhy) {
    CloseDb();
    m_nUnusable = nStatus;
    m_sLoadError = "The registry file \"" + (pPath ? pPath->string() : std::string(":memory:")) +
                   "\" cannot be used (" + sWhy +
                   "); settings take their defaults and the file is left as it is.";
  }

  int64_t QueryInt(const char* sSql) {
    CStatement st(m_pDb, sSql);
    return st.Step() ? st.Int(0) : 0;
  }

  // A file is ours when it carries our mark; an empty one becomes ours. Anything else is left
  // alone, so pointing the program at a wrong file never damages it.
  void CheckOrCreateSchema() {
    if (QueryInt("PRAGMA application_id") != kApplicationId) {
      CTransaction oTrans(m_pDb, true);
      // Another process may have set the file up while we waited for the lock.
      int64_t nMark = QueryInt("PRAGMA application_id");
      if (nMark != kApplicationId) {
        if (nMark != 0 || QueryInt("SELECT count(*) FROM sqlite_master") != 0)
          Fail(reg::ErrorRegistryCorrupt, "it is not a Quillo registry file");
        Exec(m_pDb, kSchema);
        Exec(m_pDb, ("PRAGMA application_id=" + std::to_string(kApplicationId)).c_str());
        Exec(m_pDb, ("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
      }
      oTrans.Commit();
    }
    CStatement stCheck(m_pDb, "PRAGMA quick_check(1)");
    std::string sCheck = stCheck.Step() ? stCheck.Bytes(0) : "no answer to the integrity check";
    if (sCheck != "ok") Fail(reg::ErrorRegistryCorrupt, "it is damaged: " + sCheck);
    int64_t nVersion = QueryInt("PRAGMA user_version");
    if (nVersion == 1) {
      RefoldNames();
      nVersion = kSchemaVersion;
    }
    if (nVersion != kSchemaVersion)
      Fail(reg::ErrorRegistryCorrupt,
           "its layout " + std::to_string(nVersion) + " is not known to this program");
  }

  // A file of the first layout folded the bytes without a code-page character to '?', so those
  // names could not be found by their own spelling; they get their new folded form. No two
  // names can meet on the way: the new forms only tell more names apart.
  void RefoldNames() {
    CTransaction oTrans(m_pDb, true);
    if (QueryInt("PRAGMA user_version") == 1) {
      for (const char* sTable : {"keys", "vals"}) {
        std::vector<std::pair<int64_t, std::string>> vecNames;
        std::string sSelect = std::string("SELECT rowid, name FROM ") + sTable;
        sqlite3_stmt* pSelect = nullptr;
        int nCode = sqlite3_prepare_v2(m_pDb, sSelect.c_str(), -1, &pSelect, nullptr);
        if (nCode != SQLITE_OK) FailSqlite(m_pDb, nCode);
        while ((nCode = sqlite3_step(pSelect)) == SQLITE_ROW) {
          const void* p = sqlite3_column_blob(pSelect, 1);
          std::string sName(p ? static_cast<const char*>(p) : "",
                            static_cast<size_t>(sqlite3_column_bytes(pSelect, 1)));
          if (sName.find_first_of("\x81\x8D\x8F\x90\x9D") != std::string::npos)
            vecNames.emplace_back(sqlite3_column_int64(pSelect, 0), std::move(sName));
        }
        sqlite3_finalize(pSelect);
        if (nCode != SQLITE_DONE) FailSqlite(m_pDb, nCode);
        std::string sUpdate = std::string("UPDATE ") + sTable + " SET folded = ?1 WHERE rowid = ?2";
        for (const auto& [nRow, sName] : vecNames) {
          sqlite3_stmt* pUpdate = nullptr;
          nCode = sqlite3_prepare_v2(m_pDb, sUpdate.c_str(), -1, &pUpdate, nullptr);
          if (nCode != SQLITE_OK) FailSqlite(m_pDb, nCode);
          std::string sFolded = FoldName(sName);
          sqlite3_bind_text(pUpdate, 1, sFolded.data(), static_cast<int>(sFolded.size()), SQLITE_TRANSIENT);
          sqlite3_bind_int64(pUpdate, 2, nRow);
          nCode = sqlite3_step(pUpdate);
          sqlite3_finalize(pUpdate);
          if (nCode != SQLITE_DONE) FailSqlite(m_pDb, nCode);
        }
      }
      Exec(m_pDb, ("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
    }
    oTrans.Commit();
  }

  template <class F>
  LSTATUS Run(F&& fnCall) noexcept {
    std::lock_guard<std::mutex> lock(m_mtx);
    if (!m_pDb) return m_nUnusable;
    try {
      return std::forward<F>(fnCall)();
    } catch (const Failure& f) {
      return f.nStatus;
    } catch (const std::bad_alloc&) {
      return reg::ErrorOutofmemory;
    } catch (...) {
      return reg::ErrorInternalError;
    }
  }

  OpenKey Resolve(HKEY hKey) const {
    if (hKey == reg::ClassesRoot) return {1, reg::KeyAllAccess};
    if (hKey == reg::CurrentUser) return {2, reg::KeyAllAccess};
    if (hKey == reg::LocalMachine) return {3, reg::KeyAllAccess};
    auto it = m_mapHandles.find(static_cast<intptr_t>(hKey));
    if (it == m_mapHandles.end()) Fail(reg::ErrorInvalidHandle);
    return it->second;
  }

  static bool IsRoot(int64_t nId) { return nId >= 1 && nId <= 3; }

  static void RequireAccess(const OpenKey& oKey, REGSAM samNeeded) {
    if ((oKey.samAccess & samNeeded) != samNeeded) Fail(reg::ErrorAccessDenied);
  }

  // Inside a transaction: the key behind a handle may have been deleted since it was opened,
  // by us or by another process.
  void RequireLive(int64_t nId) {
    CStatement st(m_pDb, "SELECT 1 FROM keys WHERE id = ?1");
    if (!st.Bind(1, nId).Step()) Fail(reg::ErrorKeyDeleted);
  }

  HKEY NewHandle(int64_t nId, REGSAM samDesired) {
    intptr_t nHandle = m_nNextHandle;
    m_nNextHandle += 4;
    m_mapHandles[nHandle] = OpenKey{nId, MapGenericAccess(samDesired)};
    return HKEY(nHandle);
  }

  std::optional<int64_t> FindChild(int64_t nParent, const std::string& sFolded) {
    CStatement st(m_pDb, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
    if (!st.Bind(1, nParent).BindText(2, sFolded).Step()) return std::nullopt;
    return st.Int(0);
  }

  // The key at the end of the path; none when a key on the way is missing (an answer, not a
  // failure: reading a setting that was never written is the common case).
  std::optional<int64_t> Walk(int64_t nId, const std::vector<std::string>& vecNames) {
    for (const std::string& sName : vecNames) {
      std::optional<int64_t> nChild = FindChild(nId, FoldName(sName));
      if (!nChild) return std::nullopt;
      nId = *nChild;
    }
    return nId;
  }

  int64_t InsertKey(int64_t nParent, const std::string& sName) {
    CStatement st(m_pDb, "INSERT INTO keys(parent, name, folded, written) VALUES(?1, ?2, ?3, ?4)");
    st.Bind(1, nParent).BindBlob(2, sName.data(), sName.size()).BindText(3, FoldName(sName));
    st.Bind(4, static_cast<int64_t>(NowFileTime())).Step();
    return sqlite3_last_insert_rowid(m_pDb);
  }

  void Touch(int64_t nId) {
    CStatement st(m_pDb, "UPDATE keys SET written = ?1 WHERE id = ?2");
    st.Bind(1, static_cast<int64_t>(NowFileTime())).Bind(2, nId).Step();
  }

  bool HasSubKeys(int64_t nId) {
    CStatement st(m_pDb, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
    return st.Bind(1, nId).Step();
  }
};

SqliteRegistry::SqliteRegistry() : m_pImpl(std::make_unique<Impl>()) {}
SqliteRegistry::~SqliteRegistry() = default;

std::shared_ptr<SqliteRegistry> SqliteRegistry::OpenFile(const std::filesystem::path& pathFile) {
  std::shared_ptr<SqliteRegistry> pRegistry(new SqliteRegistry());
  pRegistry->m_pImpl->Open(pathFile.string(), &pathFile);
  return pRegistry;
}

std::shared_ptr<SqliteRegistry> SqliteRegistry::OpenMemory() {
  std::shared_ptr<SqliteRegistry> pRegistry(new SqliteRegistry());
  pRegistry->m_pImpl->Open(":memory:", nullptr);
  return pRegistry;
}

bool SqliteRegistry::IsUsable() const {
  return m_pImpl->m_pDb != nullptr;
}
const std::string& SqliteRegistry::LoadError() const {
  return m_pImpl->m_sLoadError;
}

LSTATUS SqliteRegistry::CreateKeyEx(HKEY hKey, const char* lpSubKey, DWORD Reserved, char* /*lpClass*/,
                                    DWORD dwOptions, REGSAM samDesired, const void* /*lpSecurityAttributes*/,
                                    HKEY* phkResult, DWORD* lpdwDisposition) {
  return m_pImpl->Run([&] {
    if (!phkResult || Reserved) return reg::ErrorInvalidParameter;
    *phkResult = HKEY{};
    // Volatile keys and links are not part of the model.
    if (dwOptions != reg::OptionNonVolatile) return reg::ErrorCallNotImplemented;
    Impl::OpenKey oParent = m_pImpl->Resolve(hKey);
    std::vector<std::string> vecNames = SplitPath(lpSubKey);

    CTransaction oTrans(m_pImpl->m_pDb, true);
    m_pImpl->RequireLive(oParent.nId);
    int64_t nId = oParent.nId;
    bool bCreated = false;
    for (const std::string& sName : vecNames) {
      if (std::optional<int64_t> nChild = m_pImpl->FindChild(nId, FoldName(sName))) {
        nId = *nChild;
        continue;
      }
      // Only a key created right under the caller's handle needs that handle's right to do so.
      if (nId == oParent.nId) Impl::RequireAccess(oParent, reg::KeyCreateSubKey);
      nId = m_pImpl->InsertKey(nId, sName);
      bCreated = true;
    }
    oTrans.Commit();

    *phkResult = m_pImpl->NewHandle(nId, samDesired);
    if (lpdwDisposition) *lpdwDisposition = bCreated ? reg::CreatedNewKey : reg::OpenedExistingKey;
    return reg::Success;
  });
}

LSTATUS SqliteRegistry::OpenKeyEx(HKEY hKey, const char* lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                                  HKEY* phkResult) {
  return m_pImpl->Run([&] {
    if (!phkResult) return reg::ErrorInvalidParameter;
    *phkResult = HKEY{};
    Impl::OpenKey oParent = m_pImpl->Resolve(hKey);
    std::vector<std::string> vecNames = SplitPath(lpSubKey);
    CTransaction oTrans(m_pImpl->m_pDb, false);
    m_pImpl->RequireLive(oParent.nId);
    std::optional<int64_t> nId = m_pImpl->Walk(oParent.nId, vecNames);
    if (!nId) return reg::ErrorFileNotFound;
    oTrans.Commit();
    *phkResult = m_pImpl->NewHandle(*nId, samDesired);
    return reg::Success;
  });
}

LSTATUS SqliteRegistry::CloseKey(HKEY hKey) {
  return m_pImpl->Run([&] {
    if (hKey == reg::ClassesRoot || hKey == reg::CurrentUser || hKey == reg::LocalMachine)
      return reg::Success;
    return m_pImpl->m_mapHandles.erase(static_cast<intptr_t>(hKey)) ? reg::Success : reg::ErrorInvalidHandle;
  });
}

LSTATUS SqliteRegistry::SetValueEx(HKEY hKey, const char* lpValueName, DWORD /*Reserved*/, DWORD dwType,
                                   const BYTE* lpData, DWORD cbData) {
  return m_pImpl->Run([&] {
    if (!lpData && cbData) return reg::ErrorNoaccess;
    std::string sName = ValueName(lpValueName);
    Impl::OpenKey oKey = m_pImpl->Resolve(hKey);
    Impl::RequireAccess(oKey, reg::KeySetValue);

    CTransaction oTrans(m_pImpl->m_pDb, true);
    m_pImpl->RequireLive(oKey.nId);
    // An existing value keeps the spelling of its name.
    CStatement st(m_pImpl->m_pDb,
                  "INSERT INTO vals(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
                  "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
    st.Bind(1, oKey.nId).BindBlob(2, sName.data(), sName.size()).BindText(3, FoldName(sName));
    st.Bind(4, dwType).BindBlob(5, lpData, cbData).Step();
    m_pImpl->Touch(oKey.nId);
    oTrans.Commit();
    return reg::Success;
  });
}

LSTATUS SqliteRegistry::QueryValueEx(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType,
                                     BYTE* lpData, DWORD* lpcbData) {
  return m_pImpl->Run([&] {
    if (lpReserved || (lpData && !lpcbData)) return reg::ErrorInvalidParameter;
    std::string sName = ValueName(lpValueName);
    Impl::OpenKey oKey = m_pImpl->Resolve(hKey);
    Impl::RequireAccess(oKey, reg::KeyQueryValue);

    CTransaction oTrans(m_pImpl->m_pDb, false);
    m_pImpl->RequireLive(oKey.nId);
    CStatement st(m_pImpl->m_pDb, "SELECT type, data FROM vals WHERE key = ?1 AND folded = ?2");
    if (!st.Bind(1, oKey.nId).BindText(2, FoldName(sName)).Step()) return reg::ErrorFileNotFound;
    auto nType = static_cast<DWORD>(st.Int(0));
    std::string sData = st.Bytes(1);
    if (lpType) *lpType = nType;
    return CopyData(sData, lpData, lpcbData);
  });
}

LSTATUS SqliteRegistry::DeleteKey(HKEY hKey, const char* lpSubKey) {
  return m_pImpl->Run([&] {
    if (!lpSubKey) return reg::ErrorInvalidParameter;
    Impl::OpenKey oParent = m_pImpl->Resolve(hKey);
    std::vector<std::string> vecNames = SplitPath(lpSubKey);

    CTransaction oTrans(m_pImpl->m_pDb, true);
    m_pImpl->RequireLive(oParent.nId);
    std::optional<int64_t> nFound = m_pImpl->Walk(oParent.nId, vecNames);
    if (!nFound) return reg::ErrorFileNotFound;
    const int64_t nId = *nFound;
    // As on Windows: the roots stay, and a key goes only once its sub-keys are gone.
    if (Impl::IsRoot(nId) || m_pImpl->HasSubKeys(nId)) return reg::ErrorAccessDenied;
    CStatement stParent(m_pImpl->m_pDb, "SELECT parent FROM keys WHERE id = ?1");
    stParent.Bind(1, nId).Step();
    int64_t nParentId = stParent.Int(0);
    CStatement(m_pImpl->m_pDb, "DELETE FROM vals WHERE key = ?1").Bind(1, nId).Step();
    CStatement(m_pImpl->m_pDb, "DELETE FROM keys WHERE id = ?1").Bind(1, nId).Step();
    m_pImpl->Touch(nParentId);
    oTrans.Commit();
    return reg::Success;
  });
}

LSTATUS SqliteRegistry::DeleteValue(HKEY hKey, const char* lpValueName) {
  return m_pImpl->Run([&] {
    std::string sName = ValueName(lpValueName);
    Impl::OpenKey oKey = m_pImpl->Resolve(hKey);
    Impl::RequireAccess(oKey, reg::KeySetValue);

    CTransaction oTrans(m_pImpl->m_pDb, true);
    m_pImpl->RequireLive(oKey.nId);
    CStatement(m_pImpl->m_pDb, "DELETE FROM vals WHERE key = ?1 AND folded = ?2")
        .Bind(1, oKey.nId)
        .BindText(2, FoldName(sName))
        .Step();
    if (sqlite3_changes(m_pImpl->m_pDb) == 0) return reg::ErrorFileNotFound;
    m_pImpl->Touch(oKey.nId);
    oTrans.Commit();
    return reg::Success;
  });
}

// Every write is on disk when its call returns, so there is nothing left to flush.
LSTATUS SqliteRegistry::FlushKey(HKEY hKey) {
  return m_pImpl->Run([&] {
    Impl::OpenKey oKey = m_pImpl->Resolve(hKey);
    CTransaction oTrans(m_pImpl->m_pDb, false);
    m_pImpl->RequireLive(oKey.nId);
    return reg::Success;
  });
}

LSTATUS SqliteRegistry::EnumKeyEx(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved,
                                  char* lpClass, DWORD* lpcchClass, FILETIME* lpftLastWriteTime) {
  return m_pImpl->Run([&] {
    if (!lpName || !lpcchName || lpReserved || (lpClass && !lpcchClass)) return reg::ErrorInvalidParameter;
    Impl::OpenKey oKey = m_pImpl->Resolve(hKey);
    Impl::RequireAccess(oKey, reg::KeyEnumerateSubKeys);

    CTransaction oTrans(m_pImpl->m_pDb, false);
    m_pImpl->RequireLive(oKey.nId);
    CStatement st(m_pImpl->m_pDb,
                  "SELECT name, written FROM keys WHERE parent = ?1 ORDER BY folded LIMIT 1 OFFSET ?2");
    if (!st.Bind(1, oKey.nId).Bind(2, dwIndex).Step()) return reg::ErrorNoMoreItems;
    if (LSTATUS nStatus = CopyName(st.Bytes(0), lpName, lpcchName)) return nStatus;
    // Classes are not kept: every key's is empty.
    if (lpClass) {
      if (*lpcchClass < 1) return reg::ErrorMoreData;
      lpClass[0] = '\0';
      *lpcchClass = 0;
    }
    if (lpftLastWriteTime) {
      auto nWritten = static_cast<uint64_t>(st.Int(1));
      *lpftLastWriteTime = FILETIME{static_cast<DWORD>(nWritten), static_cast<DWORD>(nWritten >> 32)};
    }
    return reg::Success;
  });
}

LSTATUS SqliteRegistry::EnumValue(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName,
                                  DWORD* lpReserved, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
  return m_pImpl->Run([&] {
    if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData))
      return reg::ErrorInvalidParameter;
    Impl::OpenKey oKey = m_pImpl->Resolve(hKey);
    Impl::RequireAccess(oKey, reg::KeyQueryValue);

    CTransaction oTrans(m_pImpl->m_pDb, false);
    m_pImpl->RequireLive(oKey.nId);
    // Windows promises no order of values; sorted by name, as Wine gives them, the two backends
    // enumerate alike.
    CStatement st(m_pImpl->m_pDb,
                  "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY folded LIMIT 1 OFFSET ?2");
    if (!st.Bind(1, oKey.nId).Bind(2, dwIndex).Step()) return reg::ErrorNoMoreItems;
    if (LSTATUS nStatus = CopyName(st.Bytes(0), lpValueName, lpcchValueName)) return nStatus;
    if (lpType) *lpType = static_cast<DWORD>(st.Int(1));
    return CopyData(st.Bytes(2), lpData, lpcbData);
  });
}

}  // namespace platform::portable
