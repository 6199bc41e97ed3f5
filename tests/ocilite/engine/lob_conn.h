// A session through the OCI ABI of libkestrel_ocilite.so for LOB tests,
// and a fresh database with SCOTT/TIGER per test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "oci/oci_abi.h"
#include "scott_db_test.h"

namespace ocilite::testing {

// One logged-in session with AL32UTF8 on both sides.
struct Conn {
  OCIEnv* env = nullptr;
  OCIError* err = nullptr;
  OCISvcCtx* svc = nullptr;
  std::vector<OCILobLocator*> locators;

  explicit Conn(const std::string& db) {
    OCIEnvNlsCreate(&env, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr, 873, 873);
    OCIHandleAlloc(env, reinterpret_cast<void**>(&err), OCI_HTYPE_ERROR, 0, nullptr);
    EXPECT_EQ(OCILogon(env, err, &svc, reinterpret_cast<const OraText*>("SCOTT"), 5,
                       reinterpret_cast<const OraText*>("TIGER"), 5, reinterpret_cast<const OraText*>(db.data()),
                       static_cast<ub4>(db.size())),
              OCI_SUCCESS);
  }
  ~Conn() {
    for (OCILobLocator* l : locators) OCIDescriptorFree(l, OCI_DTYPE_LOB);
    OCILogoff(svc, err);
    OCIHandleFree(err, OCI_HTYPE_ERROR);
    OCIHandleFree(env, OCI_HTYPE_ENV);
  }
  int code() const {
    sb4 c = 0;
    char text[512] = "";
    OCIErrorGet(err, 1, nullptr, &c, reinterpret_cast<OraText*>(text), sizeof text, OCI_HTYPE_ERROR);
    return c;
  }
  std::string message() const {
    sb4 c = 0;
    char text[512] = "";
    OCIErrorGet(err, 1, nullptr, &c, reinterpret_cast<OraText*>(text), sizeof text, OCI_HTYPE_ERROR);
    return text;
  }
  // Runs a statement with text binds :K0, :K1, ... and, for a query with a
  // LOB column first, fetches one row's locator into `loc`.
  sword run(const std::string& sql, const std::vector<std::string>& keys = {}, OCILobLocator** loc = nullptr,
            ub2 lob_type = SQLT_CLOB) {
    OCIStmt* st = nullptr;
    OCIHandleAlloc(env, reinterpret_cast<void**>(&st), OCI_HTYPE_STMT, 0, nullptr);
    sword rc = OCIStmtPrepare(st, err, reinterpret_cast<const OraText*>(sql.data()), static_cast<ub4>(sql.size()),
                              OCI_NTV_SYNTAX, OCI_DEFAULT);
    for (size_t k = 0; rc == OCI_SUCCESS && k < keys.size(); ++k) {
      OCIBind* b = nullptr;
      const std::string name = ":K" + std::to_string(k);
      rc = OCIBindByName(st, &b, err, reinterpret_cast<const OraText*>(name.data()), static_cast<sb4>(name.size()),
                         const_cast<char*>(keys[k].data()), static_cast<sb4>(keys[k].size()), SQLT_CHR, nullptr,
                         nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
    }
    if (rc == OCI_SUCCESS && loc) {
      OCIDescriptorAlloc(env, reinterpret_cast<void**>(loc), OCI_DTYPE_LOB, 0, nullptr);
      locators.push_back(*loc);
      OCIDefine* d = nullptr;
      rc = OCIDefineByPos(st, &d, err, 1, loc, sizeof *loc, lob_type, nullptr, nullptr, nullptr, OCI_DEFAULT);
    }
    if (rc == OCI_SUCCESS) rc = OCIStmtExecute(svc, st, err, 1, 0, nullptr, nullptr, OCI_DEFAULT);
    OCIHandleFree(st, OCI_HTYPE_STMT);
    return rc;
  }
  // The whole value through the locator, read in 5-byte pieces.
  std::string read(OCILobLocator* loc) {
    std::string out;
    sword rc;
    do {
      char piece[5];
      ub4 amt = 0;
      rc = OCILobRead(svc, err, loc, &amt, 1, piece, sizeof piece, nullptr, nullptr, 0, SQLCS_IMPLICIT);
      if (rc != OCI_SUCCESS && rc != OCI_NEED_DATA) return "<read failed: " + message() + ">";
      out.append(piece, amt);
    } while (rc == OCI_NEED_DATA);
    return out;
  }
  sword write(OCILobLocator* loc, const std::string& text, ub4 offset = 1) {
    ub4 amt = static_cast<ub4>(text.size());
    return OCILobWrite(svc, err, loc, &amt, offset, const_cast<char*>(text.data()), static_cast<ub4>(text.size()),
                       OCI_ONE_PIECE, nullptr, nullptr, 0, SQLCS_IMPLICIT);
  }
  // A fresh locator (no FOR UPDATE) of the value, read whole.
  std::string value(const std::string& sql, const std::vector<std::string>& keys, ub2 lob_type = SQLT_CLOB) {
    OCILobLocator* loc = nullptr;
    if (run(sql, keys, &loc, lob_type) != OCI_SUCCESS) return "<select failed: " + message() + ">";
    return read(loc);
  }
};

using LobDbTest = ScottDbTest;

}  // namespace ocilite::testing
