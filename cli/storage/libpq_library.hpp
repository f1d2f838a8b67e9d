#pragma once

#include <libpq-fe.h>

namespace cvn::cli {

// The libpq functions the PostgreSQL back end calls. libpq and the many libraries it brings
// (TLS, Kerberos, LDAP) are loaded only when a command names a PostgreSQL database: linked
// in, they would double the start-up time of every cvn run.
struct LibPq {
  decltype(&::PQconnectdb) connectdb;
  decltype(&::PQstatus) status;
  decltype(&::PQerrorMessage) errorMessage;
  decltype(&::PQfinish) finish;
  decltype(&::PQsetClientEncoding) setClientEncoding;
  decltype(&::PQsetNoticeProcessor) setNoticeProcessor;
  decltype(&::PQexec) exec;
  decltype(&::PQexecParams) execParams;
  decltype(&::PQresultStatus) resultStatus;
  decltype(&::PQresultErrorField) resultErrorField;
  decltype(&::PQcmdStatus) cmdStatus;
  decltype(&::PQclear) clear;
  decltype(&::PQntuples) ntuples;
  decltype(&::PQnfields) nfields;
  decltype(&::PQgetisnull) getisnull;
  decltype(&::PQgetvalue) getvalue;
  decltype(&::PQgetlength) getlength;
  decltype(&::PQconninfoParse) conninfoParse;
  decltype(&::PQconninfoFree) conninfoFree;
  decltype(&::PQfreemem) freemem;
};

// libpq, loaded on first use; a StorageError that says so when it is not installed.
const LibPq& libpq();

}  // namespace cvn::cli
