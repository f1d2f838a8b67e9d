#include "storage/libpq_library.hpp"

#include <dlfcn.h>

#include <string>

#include "storage/storage.hpp"

namespace cvn::cli {
namespace {

// The run-time name of libpq 9.1 and later (Debian's libpq5).
constexpr const char* kLibraryName = "libpq.so.5";

template <typename Function>
void resolve(void* library, const char* name, Function& function) {
  // POSIX guarantees that a function's address survives the round trip through void*.
  function = reinterpret_cast<Function>(::dlsym(library, name));
  if (function == nullptr) {
    throw StorageError(std::string("cannot use PostgreSQL: ") + kLibraryName + " has no " + name);
  }
}

LibPq load() {
  // Never closed: the process keeps using it until it ends.
  void* library = ::dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = ::dlerror();
    throw StorageError(std::string("cannot use PostgreSQL: ") +
                       (why != nullptr ? why : kLibraryName) + " (Debian package libpq5)");
  }
  LibPq pq{};
  resolve(library, "PQconnectdb", pq.connectdb);
  resolve(library, "PQstatus", pq.status);
  resolve(library, "PQerrorMessage", pq.errorMessage);
  resolve(library, "PQfinish", pq.finish);
  resolve(library, "PQsetClientEncoding", pq.setClientEncoding);
  resolve(library, "PQsetNoticeProcessor", pq.setNoticeProcessor);
  resolve(library, "PQexec", pq.exec);
  resolve(library, "PQexecParams", pq.execParams);
  resolve(library, "PQresultStatus", pq.resultStatus);
  resolve(library, "PQresultErrorField", pq.resultErrorField);
  resolve(library, "PQcmdStatus", pq.cmdStatus);
  resolve(library, "PQclear", pq.clear);
  resolve(library, "PQntuples", pq.ntuples);
  resolve(library, "PQnfields", pq.nfields);
  resolve(library, "PQgetisnull", pq.getisnull);
  resolve(library, "PQgetvalue", pq.getvalue);
  resolve(library, "PQgetlength", pq.getlength);
  resolve(library, "PQconninfoParse", pq.conninfoParse);
  resolve(library, "PQconninfoFree", pq.conninfoFree);
  resolve(library, "PQfreemem", pq.freemem);
  return pq;
}

}  // namespace

const LibPq& libpq() {
  // A failed load throws, and the next call tries again.
  static const LibPq loaded = load();
  return loaded;
}

}  // namespace cvn::cli
