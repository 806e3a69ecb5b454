#include "tools/rspcheck/keyword_ways.h"

#include "responsefile/keyword_catalogue.h"
#include "responsefile/keyword_index.h"

namespace {

struct Way {
  uint32_t bit;
  const char* placeholder;  // the line whose value stands in front of the keyword
  const char* asRole;       // how a name in that role is called
};

constexpr Way kWays[] = {
    {kQualifiesDefaultInstance, "<DEFAULT_INSTANCE>", "the DEFAULT_INSTANCE name"},
    {kQualifiesAdminInstance, "<ADMIN_INSTANCE>", "the ADMIN_INSTANCE name"},
    {kQualifiesControlServer, "<CTLSRV_INSTANCE>", "the CTLSRV_INSTANCE name"},
    {kQualifiesInstance, "<INSTANCE>", "an INSTANCE name"},
    {kQualifiesNewNode, "<NEW_NODE>", "a NEW_NODE block name"},
    {kQualifiesContact, "<CONTACT>", "a CONTACT block name"},
    {kQualifiesDatabase, "<DATABASE>", "a DATABASE block name"},
    {kQualifiesLevel, "<LEVEL>", "a LEVEL block name"},
};

}  // namespace

std::vector<std::string> waysOfWriting(int row) {
  std::vector<std::string> result;
  const KeywordDefinition* definition = definitionAt(row);
  if (definition == nullptr) return result;
  uint32_t ways = KeywordIndex::get().waysOf(row);
  if (ways & kWrittenPlain) result.emplace_back(definition->name);
  for (const Way& way : kWays) {
    if (ways & way.bit) result.push_back(std::string(way.placeholder) + "." + definition->name);
  }
  return result;
}

std::string joinAlternatives(const std::vector<std::string>& ways) {
  std::string text;
  for (std::size_t i = 0; i < ways.size(); ++i) {
    if (i > 0) text += i + 1 == ways.size() ? " or " : ", ";
    text += ways[i];
  }
  return text;
}

std::string describeRoles(uint32_t roles) {
  std::string text;
  for (const Way& way : kWays) {
    if ((roles & way.bit) == 0) continue;
    if (!text.empty()) text += " and ";
    text += way.asRole;
  }
  return text;
}
