#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "packaging/msidb/table_change.h"
#include "packaging/msidb/table_data.h"

// The changes a transform is to make, written one to a line as
// tab-separated fields (UTF-8):
//
//   add     <table> <key>... <Column>=<value>...
//   change  <table> <key>... <Column>=<value>...
//   delete  <table> <key>...
//
// The keys are the values of the table's key columns, in column order. An
// empty value is null. Lines that are empty or begin with "#" are skipped.
namespace transform_writer {

// Parses the changes and checks them against the package's tables: every
// table and column exists, a changed or deleted row is there and an added
// one is not, numbers are numbers and only nullable columns are null.
// False with "line N: reason" in *error.
bool parseChangeList(std::string_view text, const msidb::Tables& package,
                     std::vector<msidb::TableChanges>* changes, std::string* error);

// Changes collected one by one, each checked as above and against those
// before it (a row is changed once); a table's changes are kept together,
// tables in the order they were first named.
class ChangeSet {
 public:
  explicit ChangeSet(const msidb::Tables& package) : package_(package) {}
  bool add(const std::string& table, msidb::RowChange change, std::string* error);
  const std::vector<msidb::TableChanges>& changes() const { return changes_; }

 private:
  const msidb::Tables& package_;
  std::vector<msidb::TableChanges> changes_;
  std::set<std::string> changedRows_;  // table name and key
};

}  // namespace transform_writer
