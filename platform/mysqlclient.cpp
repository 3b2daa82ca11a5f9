#include "platform/mysqlclient.h"

#include <dlfcn.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "platform/db.h"

namespace win {

namespace {

// Connector/C first; the MySQL client offers the same C interface.
constexpr const char* kLibraryNames[] = {"libmariadb.so.3", "libmariadb.so", "libmysqlclient.so.21",
                                         "libmysqlclient.so"};

[[noreturn]] void FailToLoad(const std::string& reason) {
  throw EZSQLException("Cannot load the MySQL client library (" + reason + ")");
}

std::string LastDlError() {
  const char* text = ::dlerror();
  return text ? text : "unknown error";
}

void* OpenLibrary() {
  const char* configured = std::getenv("ZERURUD_DB_CLIENT_LIBRARY");
  if (configured && *configured) {
    void* handle = ::dlopen(configured, RTLD_NOW | RTLD_LOCAL);
    if (!handle) FailToLoad(LastDlError());
    return handle;
  }
  std::string firstReason;
  for (const char* name : kLibraryNames) {
    if (void* handle = ::dlopen(name, RTLD_NOW | RTLD_LOCAL)) return handle;
    // The preferred library's reason says most about what to install.
    if (firstReason.empty()) firstReason = LastDlError();
  }
  FailToLoad(firstReason);
}

template <typename Function>
void Resolve(void* handle, const char* name, Function& target) {
  ::dlerror();
  void* symbol = ::dlsym(handle, name);
  if (!symbol) {
    const std::string reason = LastDlError();
    ::dlclose(handle);
    FailToLoad(reason);
  }
  target = reinterpret_cast<Function>(symbol);
}

TMySqlClient ResolveClient(void* handle) {
  TMySqlClient client{};
  Resolve(handle, "mysql_init", client.init);
  Resolve(handle, "mysql_options", client.options);
  Resolve(handle, "mysql_real_connect", client.real_connect);
  Resolve(handle, "mysql_close", client.close);
  Resolve(handle, "mysql_errno", client.errnum);
  Resolve(handle, "mysql_error", client.error);
  Resolve(handle, "mysql_autocommit", client.autocommit);
  Resolve(handle, "mysql_commit", client.commit);
  Resolve(handle, "mysql_rollback", client.rollback);
  Resolve(handle, "mysql_real_query", client.real_query);
  Resolve(handle, "mysql_store_result", client.store_result);
  Resolve(handle, "mysql_field_count", client.field_count);
  Resolve(handle, "mysql_num_fields", client.num_fields);
  Resolve(handle, "mysql_fetch_fields", client.fetch_fields);
  Resolve(handle, "mysql_fetch_row", client.fetch_row);
  Resolve(handle, "mysql_fetch_lengths", client.fetch_lengths);
  Resolve(handle, "mysql_free_result", client.free_result);
  Resolve(handle, "mysql_real_escape_string", client.real_escape_string);

  // mysql_library_init is a macro over this name; calling it once up front
  // keeps mysql_init from doing it lazily.
  decltype(&::mysql_server_init) libraryInit = nullptr;
  Resolve(handle, "mysql_server_init", libraryInit);
  if (libraryInit(0, nullptr, nullptr) != 0) {
    ::dlclose(handle);
    FailToLoad("the library failed to initialise");
  }
  return client;
}

}  // namespace

const TMySqlClient& LoadMySqlClient() {
  // By handle: the configured library may change between calls (tests), and
  // dlopen of a loaded library gives its existing handle.
  static std::mutex mutex;
  static std::map<void*, TMySqlClient> loaded;
  std::lock_guard lock(mutex);
  void* handle = OpenLibrary();
  if (auto found = loaded.find(handle); found != loaded.end()) {
    ::dlclose(handle);
    return found->second;
  }
  return loaded.emplace(handle, ResolveClient(handle)).first->second;
}

}  // namespace win
