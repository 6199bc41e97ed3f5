#include "engine_fixture.h"

#include <gtest/gtest.h>

namespace ocilite::testing {

EngineDb::EngineDb() {
  OraError e = Catalog::create(dir_.path());
  EXPECT_FALSE(e) << e.text;
  e = open_catalog(dir_.path(), catalog_);
  EXPECT_FALSE(e) << e.text;
  UserOptions scott;
  scott.password = "TIGER";
  e = catalog_->add_user("SCOTT", scott);
  EXPECT_FALSE(e) << e.text;
  UserOptions hr;
  hr.password = "HR";
  e = catalog_->add_user("HR", hr);
  EXPECT_FALSE(e) << e.text;
}

std::unique_ptr<Session> EngineDb::login(const std::string& user, const std::string& password) {
  std::unique_ptr<Session> s;
  OraError warning;
  OraError e = Session::open(catalog_, user, password, LoginMode::normal, s, warning);
  EXPECT_FALSE(e) << e.text;
  return s;
}

Result run(Session& s, const std::string& sql, const std::vector<std::string>& binds) {
  Result r;
  Statement st(s, sql);
  r.error = st.prepare(r.error_offset);
  if (r.error) return r;
  std::vector<Value> values;
  for (const auto& name : st.rewrite().binds) {
    size_t idx = 0;
    auto shape = statement_shape(sql);
    for (size_t k = 0; k < shape.bind_names.size(); ++k)
      if (shape.bind_names[k] == name) idx = k;
    values.push_back(idx < binds.size() ? Value::text(binds[idx]) : Value{});
  }
  r.error = st.execute(values, false, r.rows_affected, nullptr, r.info, r.error_offset);
  if (r.error || !st.is_query()) return r;
  for (const auto& c : st.columns()) r.columns.push_back(c.name);
  std::vector<Value> row;
  for (;;) {
    bool have = false;
    r.error = st.fetch(row, have);
    if (r.error || !have) break;
    std::vector<std::string> out;
    for (size_t i = 0; i < row.size() && i < st.columns().size(); ++i)
      out.push_back(row[i].is_null() ? "<null>" : value_as_text(row[i], st.columns()[i], s));
    r.rows.push_back(std::move(out));
  }
  return r;
}

Rows query(Session& s, const std::string& sql, const std::vector<std::string>& binds) {
  Result r = run(s, sql, binds);
  EXPECT_FALSE(r.error) << sql << "\n" << r.error.text;
  return r.rows;
}

void exec(Session& s, const std::string& sql, const std::vector<std::string>& binds) {
  Result r = run(s, sql, binds);
  EXPECT_FALSE(r.error) << sql << "\n" << r.error.text;
}

}  // namespace ocilite::testing
