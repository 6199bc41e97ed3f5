#include "app/table_catalog.h"

#include "app/select_builder.h"
#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_dataset.h"
#include "oci/oci_dictionary.h"
#include "oci/oci_types.h"

namespace kestrel {
namespace {

constexpr std::size_t kMsgChars = kOracleTextMax + 1;

// A dataset column's text by name; an absent column reads as empty.
class Columns {
 public:
  explicit Columns(const OciDataset& ds) : ds_(ds) {}
  std::u16string Text(int32_t row, std::u16string_view name) const {
    int col = oci_find_column(&ds_, name);
    if (col < 0) return {};
    return std::u16string(ds_.text_view(row, col));
  }

 private:
  const OciDataset& ds_;
};

int Fail(int rc, const char16_t* msg, std::u16string* err) {
  if (err) *err = msg;
  return rc;
}

}  // namespace

int LoadOwnerNames(OciSession* s, std::vector<std::u16string>* out, std::u16string* err) {
  out->clear();
  char16_t msg[kMsgChars] = {};
  OciDataset ds;
  int rc = oci_get_owner_list(s, &ds, OciMsgBuf(msg));
  if (rc != kOciOk) return Fail(rc, msg, err);
  Columns cols(ds);
  out->reserve(static_cast<std::size_t>(ds.row_count) + 1);
  for (int32_t r = 0; r < ds.row_count; ++r) out->push_back(cols.Text(r, u"USERNAME"));
  out->emplace_back(kPublicOwner);
  return kOciOk;
}

int LoadObjects(OciSession* s, std::u16string_view owner, std::u16string_view only_name,
                std::vector<CatalogObject>* out, std::u16string* err) {
  out->clear();
  char16_t msg[kMsgChars] = {};
  OciDataset ds;
  int rc = only_name.empty() ? oci_get_object_list(s, owner, kObjectTypeCombined, &ds, OciMsgBuf(msg))
                             : oci_get_object_by_name(s, owner, only_name, &ds, OciMsgBuf(msg));
  if (rc != kOciOk) return Fail(rc, msg, err);
  Columns cols(ds);
  out->reserve(static_cast<std::size_t>(ds.row_count));
  for (int32_t r = 0; r < ds.row_count; ++r) {
    out->push_back({cols.Text(r, u"OBJECT_NAME"), cols.Text(r, u"OBJECT_TYPE"), cols.Text(r, u"COMMENTS")});
  }
  return kOciOk;
}

namespace {

// A synonym's columns come from a describe of "OWNER"."NAME".
int DescribeColumns(OciSession* s, std::u16string_view owner, std::u16string_view name,
                    std::vector<CatalogColumn>* out, std::u16string* err) {
  std::u16string q_owner, q_name;
  if (!QuoteIdentifier(owner, &q_owner, err) || !QuoteIdentifier(name, &q_name, err)) return kOciInternal;
  char16_t msg[kMsgChars] = {};
  OciCursor c;
  int rc = oci_get_table_def2(s, &c, q_owner + u"." + q_name, false, OciMsgBuf(msg));
  if (rc != kOciOk) {
    oci_del_cursor(s, &c);
    return Fail(rc, msg, err);
  }
  for (std::size_t i = 0; i < c.cols.size(); ++i) {
    const OciColumnDesc& d = c.cols[i];
    CatalogColumn col;
    col.name = d.wname;
    oci_get_type_name(d, &col.type, &col.length);
    col.nullable = d.nullable ? u"Y" : u"N";
    col.no = static_cast<int32_t>(i) + 1;
    out->push_back(std::move(col));
  }
  oci_del_cursor(s, &c);
  return kOciOk;
}

}  // namespace

int LoadColumns(OciSession* s, std::u16string_view owner, const CatalogObject& object,
                std::vector<CatalogColumn>* out, std::u16string* err) {
  out->clear();
  if (object.type == kSynonymType) return DescribeColumns(s, owner, object.name, out, err);
  char16_t msg[kMsgChars] = {};
  OciDataset ds;
  int rc = oci_get_column_list(s, owner, object.name, &ds, OciMsgBuf(msg));
  if (rc != kOciOk) return Fail(rc, msg, err);
  Columns cols(ds);
  out->reserve(static_cast<std::size_t>(ds.row_count));
  for (int32_t r = 0; r < ds.row_count; ++r) {
    CatalogColumn col;
    col.name = cols.Text(r, u"COLUMN_NAME");
    col.type = cols.Text(r, u"DATA_TYPE");
    col.length = cols.Text(r, u"DATA_LENGTH");
    col.nullable = cols.Text(r, u"NULLABLE");
    col.comments = cols.Text(r, u"COMMENTS");
    std::u16string id = cols.Text(r, u"COLUMN_ID");
    int32_t no = 0;
    for (char16_t ch : id) {
      if (ch < u'0' || ch > u'9') break;
      no = no * 10 + (ch - u'0');
    }
    col.no = no > 0 ? no : r + 1;
    out->push_back(std::move(col));
  }
  return kOciOk;
}

const CatalogColumn* FindColumn(const std::vector<CatalogColumn>& columns, std::u16string_view entry) {
  for (const CatalogColumn& c : columns)
    if (c.name == entry) return &c;
  return nullptr;
}

}  // namespace kestrel
