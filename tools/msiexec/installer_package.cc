#include "tools/msiexec/installer_package.h"

#include <libmsi.h>

#include <algorithm>
#include <functional>
#include <set>

#include "tools/msiexec/package_structure.h"

namespace msiexec {
namespace {

struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T>
using ObjectPtr = std::unique_ptr<T, ObjectUnref>;

// Takes a GError and hands back its message.
std::string takeError(GError* error, std::string_view what) {
  std::string text(what);
  if (error != nullptr) {
    text += ": ";
    text += error->message;
    g_error_free(error);
  }
  return text;
}

std::string stringField(LibmsiRecord* record, guint field, bool* isNull = nullptr) {
  const bool null = libmsi_record_is_null(record, field);
  if (isNull) *isNull = null;
  if (null) return "";
  gchar* text = libmsi_record_get_string(record, field);
  std::string value = text ? text : "";
  g_free(text);
  return value;
}

int intField(LibmsiRecord* record, guint field) {
  if (libmsi_record_is_null(record, field)) return 0;
  const gint value = libmsi_record_get_int(record, field);
  return value == static_cast<gint>(LIBMSI_NULL_INT) ? 0 : value;
}

}  // namespace

struct InstallerPackage::Database {
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

  bool has(const std::string& table) const { return tables.count(table) != 0; }

  // Reads a table the package may lack: empty when it does.
  bool optional(const std::string& table, const std::string& columns,
                const std::function<void(LibmsiRecord*)>& onRow, std::string* error) const {
    if (!has(table)) return true;
    return query("SELECT " + columns + " FROM `" + table + "`", nullptr, onRow, error);
  }

  bool required(const std::string& table, const std::string& columns,
                const std::function<void(LibmsiRecord*)>& onRow, std::string* error) const {
    if (!has(table)) {
      if (error) *error = "the package has no " + table + " table";
      return false;
    }
    return optional(table, columns, onRow, error);
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

InstallerPackage::InstallerPackage(std::unique_ptr<Database> database)
    : database_(std::move(database)) {}

InstallerPackage::~InstallerPackage() = default;

std::unique_ptr<InstallerPackage> InstallerPackage::open(const std::string& hostPath,
                                                         std::string* error) {
  std::string damage;
  if (!isSoundPackageFile(hostPath, &damage)) {
    if (error) *error = damage;
    return nullptr;
  }
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
          [&](LibmsiRecord* row) { database->tables.insert(stringField(row, 1)); }, &queryError)) {
    if (error) *error = "cannot list the package's tables: " + queryError;
    return nullptr;
  }
  return std::unique_ptr<InstallerPackage>(new InstallerPackage(std::move(database)));
}

bool InstallerPackage::readTables(PackageTables* t, std::string* error) const {
  const Database& d = *database_;
  *t = PackageTables{};
  bool ok =
      d.required(
          "Property", "`Property`, `Value`",
          [&](LibmsiRecord* r) { t->properties[stringField(r, 1)] = stringField(r, 2); }, error) &&
      d.required(
          "Directory", "`Directory`, `Directory_Parent`, `DefaultDir`",
          [&](LibmsiRecord* r) {
            t->directories.push_back({stringField(r, 1), stringField(r, 2), stringField(r, 3)});
          },
          error) &&
      d.required(
          "Component", "`Component`, `ComponentId`, `Directory_`, `Attributes`, `Condition`",
          [&](LibmsiRecord* r) {
            t->components.push_back({stringField(r, 1), stringField(r, 2), stringField(r, 3),
                                     intField(r, 4), stringField(r, 5)});
          },
          error) &&
      d.required(
          "File", "`File`, `Component_`, `FileName`, `Sequence`",
          [&](LibmsiRecord* r) {
            t->files.push_back(
                {stringField(r, 1), stringField(r, 2), stringField(r, 3), intField(r, 4)});
          },
          error) &&
      d.required(
          "InstallExecuteSequence", "`Action`, `Condition`, `Sequence`",
          [&](LibmsiRecord* r) {
            t->installExecuteSequence.push_back(
                {stringField(r, 1), stringField(r, 2), intField(r, 3)});
          },
          error) &&
      d.optional(
          "Registry", "`Registry`, `Root`, `Key`, `Name`, `Value`, `Component_`",
          [&](LibmsiRecord* r) {
            RegistryRow row;
            row.registry = stringField(r, 1);
            row.root = intField(r, 2);
            row.key = stringField(r, 3);
            row.name = stringField(r, 4, &row.nameNull);
            row.value = stringField(r, 5, &row.valueNull);
            row.component = stringField(r, 6);
            t->registry.push_back(std::move(row));
          },
          error) &&
      d.optional(
          "CustomAction", "`Action`, `Type`, `Source`, `Target`",
          [&](LibmsiRecord* r) {
            t->customActions.push_back(
                {stringField(r, 1), intField(r, 2), stringField(r, 3), stringField(r, 4)});
          },
          error) &&
      d.optional(
          "Feature", "`Feature`, `Feature_Parent`, `Level`",
          [&](LibmsiRecord* r) {
            t->features.push_back({stringField(r, 1), stringField(r, 2), intField(r, 3)});
          },
          error) &&
      d.optional(
          "FeatureComponents", "`Feature_`, `Component_`",
          [&](LibmsiRecord* r) {
            t->featureComponents.push_back({stringField(r, 1), stringField(r, 2)});
          },
          error) &&
      d.optional(
          "Media", "`DiskId`, `LastSequence`, `Cabinet`",
          [&](LibmsiRecord* r) {
            t->media.push_back({intField(r, 1), intField(r, 2), stringField(r, 3)});
          },
          error) &&
      d.optional(
          "AppSearch", "`Property`, `Signature_`",
          [&](LibmsiRecord* r) {
            t->appSearch.push_back({stringField(r, 1), stringField(r, 2)});
          },
          error) &&
      d.optional(
          "RegLocator", "`Signature_`, `Root`, `Key`, `Name`, `Type`",
          [&](LibmsiRecord* r) {
            RegLocatorRow row;
            row.signature = stringField(r, 1);
            row.root = intField(r, 2);
            row.key = stringField(r, 3);
            row.name = stringField(r, 4, &row.nameNull);
            row.type = intField(r, 5);
            t->regLocators.push_back(std::move(row));
          },
          error) &&
      d.optional(
          "CreateFolder", "`Directory_`, `Component_`",
          [&](LibmsiRecord* r) {
            t->createFolders.push_back({stringField(r, 1), stringField(r, 2)});
          },
          error) &&
      d.optional(
          "LaunchCondition", "`Condition`, `Description`",
          [&](LibmsiRecord* r) {
            t->launchConditions.push_back({stringField(r, 1), stringField(r, 2)});
          },
          error);
  if (!ok) return false;
  std::stable_sort(
      t->installExecuteSequence.begin(), t->installExecuteSequence.end(),
      [](const SequenceRow& a, const SequenceRow& b) { return a.sequence < b.sequence; });
  std::stable_sort(t->media.begin(), t->media.end(), [](const MediaRow& a, const MediaRow& b) {
    return a.lastSequence < b.lastSequence;
  });
  return true;
}

bool InstallerPackage::readStream(std::string_view name, std::string* bytes,
                                  std::string* error) const {
  bytes->clear();
  return database_->readStreamRow("SELECT `Data` FROM `_Streams` WHERE `Name` = ?",
                                  std::string(name), bytes, error);
}

bool InstallerPackage::readBinary(std::string_view name, std::string* bytes,
                                  std::string* error) const {
  bytes->clear();
  if (!database_->has("Binary")) {
    if (error) *error = "the package has no Binary table";
    return false;
  }
  return database_->readStreamRow("SELECT `Data` FROM `Binary` WHERE `Name` = ?", std::string(name),
                                  bytes, error);
}

}  // namespace msiexec
