#include "packaging/msidb/package_file.h"

#include <libmsi.h>

#include <functional>
#include <set>

#include "packaging/msidb/glib_error.h"

namespace msidb {
namespace {

struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T>
using ObjectPtr = std::unique_ptr<T, ObjectUnref>;

Cell readCell(LibmsiRecord* record, guint field, uint32_t type) {
  if (isObjectColumn(type) || libmsi_record_is_null(record, field)) return Cell{};
  if (isStringColumn(type)) {
    gchar* text = libmsi_record_get_string(record, field);
    Cell cell = Cell::ofText(text ? text : "");
    g_free(text);
    return cell;
  }
  const gint value = libmsi_record_get_int(record, field);
  if (value == static_cast<gint>(LIBMSI_NULL_INT)) return Cell{};
  return Cell::ofNumber(value);
}

}  // namespace

struct PackageFile::Database {
  ObjectPtr<LibmsiDatabase> db;
  std::set<std::string> tables;

  // Runs a query, with an optional text parameter for its "?", and hands
  // every row to onRow.
  bool query(const std::string& sql, const std::string* parameter,
             const std::function<void(LibmsiRecord*)>& onRow, std::string* error) const {
    GError* failure = nullptr;
    ObjectPtr<LibmsiQuery> q(libmsi_query_new(db.get(), sql.c_str(), &failure));
    if (!q) {
      if (error) *error = takeError(failure, sql);
      return false;
    }
    ObjectPtr<LibmsiRecord> params;
    if (parameter != nullptr) {
      params.reset(libmsi_record_new(1));
      libmsi_record_set_string(params.get(), 1, parameter->c_str());
    }
    if (!libmsi_query_execute(q.get(), params.get(), &failure)) {
      if (error) *error = takeError(failure, sql);
      return false;
    }
    for (;;) {
      ObjectPtr<LibmsiRecord> row(libmsi_query_fetch(q.get(), &failure));
      if (!row) break;
      onRow(row.get());
    }
    // The end of the rows is reported as an error; it is no failure.
    if (failure != nullptr) g_error_free(failure);
    libmsi_query_close(q.get(), nullptr);
    return true;
  }

  bool readTable(const std::string& name, Table* table, std::string* error) const {
    table->name = name;
    std::map<int, Column> byNumber;
    if (!query(
            "SELECT `Number`, `Name`, `Type` FROM `_Columns` WHERE `Table` = ?", &name,
            [&](LibmsiRecord* r) {
              gchar* column = libmsi_record_get_string(r, 2);
              byNumber[libmsi_record_get_int(r, 1)] =
                  Column{column ? column : "",
                         static_cast<uint32_t>(libmsi_record_get_int(r, 3)) & 0xFFFF};
              g_free(column);
            },
            error)) {
      return false;
    }
    for (auto& [number, column] : byNumber) table->columns.push_back(std::move(column));
    if (table->columns.empty()) {
      if (error) *error = "the table " + name + " has no columns";
      return false;
    }
    return query(
        "SELECT * FROM `" + name + "`", nullptr,
        [&](LibmsiRecord* r) {
          Row row;
          for (std::size_t i = 0; i < table->columns.size(); ++i) {
            row.push_back(readCell(r, static_cast<guint>(i + 1), table->columns[i].type));
          }
          table->rows.push_back(std::move(row));
        },
        error);
  }

  bool readStreamRow(const std::string& sql, const std::string& key, std::string* bytes,
                     std::string* error) const {
    bool found = false;
    bool readOk = true;
    const bool ok = query(
        sql, &key,
        [&](LibmsiRecord* row) {
          if (found) return;
          found = true;
          GInputStream* stream = libmsi_record_get_stream(row, 1);
          if (stream == nullptr) {
            readOk = false;
            return;
          }
          ObjectPtr<GInputStream> owned(stream);
          char buffer[65536];
          for (;;) {
            const gssize n = g_input_stream_read(stream, buffer, sizeof buffer, nullptr, nullptr);
            if (n < 0) {
              readOk = false;
              break;
            }
            if (n == 0) break;
            bytes->append(buffer, static_cast<std::size_t>(n));
          }
        },
        error);
    if (!ok) return false;
    if (!found || !readOk) {
      if (error) *error = "cannot read the stream \"" + key + "\" of the package";
      return false;
    }
    return true;
  }
};

PackageFile::PackageFile(std::unique_ptr<Database> database) : database_(std::move(database)) {}

PackageFile::~PackageFile() = default;

std::unique_ptr<PackageFile> PackageFile::open(const std::string& hostPath, std::string* error) {
  GError* failure = nullptr;
  auto database = std::make_unique<Database>();
  database->db.reset(
      libmsi_database_new(hostPath.c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, &failure));
  if (!database->db) {
    if (error) *error = takeError(failure, "not an installer package");
    return nullptr;
  }
  if (failure != nullptr) g_error_free(failure);
  std::string queryError;
  if (!database->query(
          "SELECT `Name` FROM `_Tables`", nullptr,
          [&](LibmsiRecord* row) {
            gchar* name = libmsi_record_get_string(row, 1);
            if (name != nullptr) database->tables.insert(name);
            g_free(name);
          },
          &queryError)) {
    if (error) *error = "cannot list the package's tables: " + queryError;
    return nullptr;
  }
  return std::unique_ptr<PackageFile>(new PackageFile(std::move(database)));
}

bool PackageFile::readTables(Tables* tables, std::string* error) const {
  tables->clear();
  for (const std::string& name : database_->tables) {
    Table table;
    if (!database_->readTable(name, &table, error)) return false;
    (*tables)[name] = std::move(table);
  }
  return true;
}

bool PackageFile::readSummary(PackageSummary* summary, std::string* error) const {
  GError* failure = nullptr;
  ObjectPtr<LibmsiSummaryInfo> info(libmsi_summary_info_new(database_->db.get(), 0, &failure));
  if (!info) {
    if (error) *error = takeError(failure, "cannot read the summary information");
    return false;
  }
  const gchar* platform =
      libmsi_summary_info_get_string(info.get(), LIBMSI_PROPERTY_TEMPLATE, &failure);
  if (failure != nullptr) {
    if (error) *error = takeError(failure, "the summary information has no template");
    return false;
  }
  summary->platformAndLanguages = platform ? platform : "";
  summary->installerVersion =
      libmsi_summary_info_get_int(info.get(), LIBMSI_PROPERTY_VERSION, &failure);
  if (failure != nullptr) {
    if (error) *error = takeError(failure, "the summary information has no installer version");
    return false;
  }
  return true;
}

bool PackageFile::readStream(std::string_view name, std::string* bytes, std::string* error) const {
  bytes->clear();
  return database_->readStreamRow("SELECT `Data` FROM `_Streams` WHERE `Name` = ?",
                                  std::string(name), bytes, error);
}

bool PackageFile::readBinary(std::string_view name, std::string* bytes, std::string* error) const {
  bytes->clear();
  if (database_->tables.count("Binary") == 0) {
    if (error) *error = "the package has no Binary table";
    return false;
  }
  return database_->readStreamRow("SELECT `Data` FROM `Binary` WHERE `Name` = ?", std::string(name),
                                  bytes, error);
}

}  // namespace msidb
