#include "responsefile/keyword_catalogue.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string textOr(const char* text, const char* none = "(none)") {
  return text ? std::string(text) : std::string(none);
}

std::vector<std::string> wordsOf(const char* text) {
  std::vector<std::string> words;
  std::istringstream in(text ? text : "");
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// The scopes of a row written the way the run table below names them.
std::string scopeWords(const KeywordDefinition& row) {
  std::string words;
  auto add = [&words](uint32_t mask, const char* word) {
    if (mask == 0) return;
    if (!words.empty()) words += ' ';
    words += word;
  };
  add(row.plainScope, "plain");
  add(row.defaultInstanceScope, "default");
  add(row.adminInstanceScope, "admin");
  add(row.controlServerScope, "control");
  add(row.instanceScope, "instance");
  return words;
}

template <class Predicate>
std::set<std::string> namesWhere(Predicate predicate) {
  std::set<std::string> names;
  for (int i = 0; i < keywordCount; ++i) {
    if (predicate(*definitionAt(i))) names.insert(definitionAt(i)->name);
  }
  return names;
}

int firstIndexOf(const std::string& name) {
  for (int i = 0; i < keywordCount; ++i) {
    if (name == definitionAt(i)->name) return i;
  }
  return -1;
}

// Quotes close and parentheses outside quotes balance: a lost character
// while typing a rule would upset one of them.
bool quotesAndParenthesesBalance(const std::string& rule) {
  int depth = 0;
  bool quoted = false;
  for (std::size_t i = 0; i < rule.size(); ++i) {
    const char c = rule[i];
    if (quoted) {
      if (c == '\'' && i + 1 < rule.size() && rule[i + 1] == '\'') {
        ++i;
      } else if (c == '\'') {
        quoted = false;
      }
    } else if (c == '\'') {
      quoted = true;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth < 0) {
      return false;
    }
  }
  return !quoted && depth == 0;
}

// The row count and the rows' places are held by the scope runs below.
TEST(KeywordCatalogue, HoldsOneRowPerIndexEachNameOnceExceptAuthentication) {
  std::map<std::string, int> seen;
  for (int i = 0; i < keywordCount; ++i) {
    const KeywordDefinition* row = definitionAt(i);
    ASSERT_NE(row, nullptr) << i;
    ASSERT_NE(row->name, nullptr) << i;
    EXPECT_EQ(isRepeatable(i), row->repeatable) << row->name;
    ++seen[row->name];
  }
  for (const auto& [name, times] : seen) {
    EXPECT_EQ(times, name == "AUTHENTICATION" ? 2 : 1) << name;
  }
  for (int outside : {-1, keywordCount, keywordCount + 1, INT_MIN, INT_MAX}) {
    EXPECT_EQ(definitionAt(outside), nullptr) << outside;
    EXPECT_EQ(isRepeatable(outside), 0u) << outside;
  }
}

struct ScopeRun {
  int first;
  int last;
  const char* firstName;
  const char* lastName;
  const char* scopes;      // non-zero masks, in field order
  const char* blockKinds;  // null: none
};

// Neighbouring rows share their ways of writing; each run is checked row by
// row, so a row typed one place too early or late fails at the boundary.
const ScopeRun kScopeRuns[] = {
    {0, 2, "PRODUCT", "LEVEL_PATH", "plain", "LEVEL"},
    {3, 4, "PVK_FILE", "SPC_FILE", "plain", nullptr},
    {5, 5, "PATCH_GUID", "PATCH_GUID", "plain", "LEVEL"},
    {6, 38, "LEVEL", "KV7_ECLIPSEIC_SVCENAME", "plain", nullptr},
    {39, 39, "KV7_ECLIPS_CONFIG_EXISTKV7", "KV7_ECLIPS_CONFIG_EXISTKV7", "", nullptr},
    {40, 40, "SATELLITE_CONTROL_DATABASE", "SATELLITE_CONTROL_DATABASE", "plain", nullptr},
    {41, 42, "DATABASE_NAME", "ALIAS", "", "DATABASE"},
    {43, 43, "INSTANCE", "INSTANCE", "plain", "CONTACT DATABASE"},
    {44, 44, "LOCATION", "LOCATION", "", "DATABASE"},
    {45, 48, "KAS_CONTACT_LIST_HOSTNAME", "KAS_CONTACT_LIST_PASSWORD", "plain", nullptr},
    {49, 49, "NAME", "NAME", "default admin control instance", nullptr},
    {50, 53, "CONTACT_NAME", "PAGER", "", "CONTACT"},
    {54, 67, "INSTALL_SOURCE_PATH", "REMOTE_PERF_COUNT_PWD", "plain", nullptr},
    {68, 68, "AGENTPRI", "AGENTPRI", "default control instance", nullptr},
    {69, 69, "AGENT_STACK_SZ", "AGENT_STACK_SZ", "default admin control instance", nullptr},
    {70, 71, "ASLHEAPSZ", "AUDIT_BUF_SZ", "default control instance", nullptr},
    {72, 72, "AUTHENTICATION", "AUTHENTICATION", "default admin control instance", "DATABASE"},
    {73, 73, "AUTHENTICATION", "AUTHENTICATION", "", "DATABASE"},
    {74, 77, "BACKBUFSZ", "CATALOG_NOAUTH", "default control instance", nullptr},
    {78, 79, "COMM_BANDWIDTH", "CONN_ELAPSE", "default instance", nullptr},
    {80, 81, "CPUSPEED", "DFTDBPATH", "default control instance", nullptr},
    {82, 82, "PATH", "PATH", "", "DATABASE"},
    {83, 91, "DFT_ACCOUNT_STR", "DFT_MON_TIMESTAMP", "default control instance", nullptr},
    {92, 93, "DIAGLEVEL", "DIAGPATH", "default admin control instance", nullptr},
    {94, 96, "DIR_CACHE", "DIR_PATH_NAME", "default control instance", nullptr},
    {97, 98, "DISCOVER", "DISCOVER_COMM", "default admin control instance", nullptr},
    {99, 109, "DISCOVER_INST", "JDK_PATH", "default control instance", nullptr},
    {110, 110, "TYPE", "TYPE", "default admin control instance", nullptr},
    {111, 115, "KEEPDARI", "MAXTOTFILOP", "default control instance", nullptr},
    {116, 116, "MAX_CONNRETRIES", "MAX_CONNRETRIES", "default instance", nullptr},
    {117, 119, "MAX_COORDAGENTS", "MAX_QUERYDEGREE", "default control instance", nullptr},
    {120, 120, "MAX_TIME_DIFF", "MAX_TIME_DIFF", "default instance", nullptr},
    {121, 122, "MIN_PRIV_MEM", "MON_HEAP_SZ", "default control instance", nullptr},
    {123, 124, "NNAME", "NOTIFYLEVEL", "default admin control instance", nullptr},
    {125, 128, "NUMDB", "NUM_POOLAGENTS", "default control instance", nullptr},
    {129, 129, "QUERY_HEAP_SZ", "QUERY_HEAP_SZ", "default admin control instance", nullptr},
    {130, 131, "RESTBUFSZ", "RESYNC_INTERVAL", "default control instance", nullptr},
    {132, 132, "ROUTE_OBJ_NAME", "ROUTE_OBJ_NAME", "default instance", nullptr},
    {133, 138, "RQRIOBLK", "SPM_NAME", "default control instance", nullptr},
    {139, 139, "START_STOP_TIME", "START_STOP_TIME", "default instance", nullptr},
    {140, 140, "SVCENAME", "SVCENAME", "default control instance", "DATABASE"},
    {141, 143, "SYSADM_GROUP", "SYSMAINT_GROUP", "default admin control instance", nullptr},
    {144, 146, "KV7TCPCONNMGRS", "TP_MON_NAME", "default control instance", nullptr},
    {147, 154, "TRUST_ALLCLNTS", "FEDERATED_ASYNC", "default admin control instance", nullptr},
    {155, 155, "KV7ACCOUNT", "KV7ACCOUNT", "plain default control instance", nullptr},
    {156, 156, "KV7ACCOUNTNAME", "KV7ACCOUNTNAME", "default instance", "NEW_NODE"},
    {157, 157, "DOMAIN", "DOMAIN", "default admin control instance", "NEW_NODE DATABASE"},
    {158, 158, "KV7ATLD_PORTS", "KV7ATLD_PORTS", "plain default instance", nullptr},
    {159, 163, "KV7BIDI", "KV7BQTRY", "plain default control instance", nullptr},
    {164, 164, "KV7CHGPWD_EEE", "KV7CHGPWD_EEE", "plain instance", nullptr},
    {165, 165, "KV7CHECKCLIENTINTERVAL", "KV7CHECKCLIENTINTERVAL", "plain default control instance",
     nullptr},
    {166, 166, "KV7CHKPTR", "KV7CHKPTR", "plain default admin control instance", nullptr},
    {167, 167, "KV7CLIINIPATH", "KV7CLIINIPATH", "plain default control instance", nullptr},
    {168, 169, "KV7CODEPAGE", "KV7COMM", "plain default admin control instance", nullptr},
    {170, 170, "KV7CONNECT_IN_APP_PROCESS", "KV7CONNECT_IN_APP_PROCESS",
     "plain default control instance", nullptr},
    {171, 171, "KV7COUNTRY", "KV7COUNTRY", "plain default admin control instance", nullptr},
    {172, 176, "KV7DBDFT", "KV7DISCOVERYTIME", "plain default control instance", nullptr},
    {177, 177, "KV7DMNBCKCTLR", "KV7DMNBCKCTLR", "plain default admin control instance", nullptr},
    {178, 184, "KV7DOMAINLIST", "KV7FODC", "plain default control instance", nullptr},
    {185, 185, "KV7INCLUDE", "KV7INCLUDE", "plain default instance", nullptr},
    {186, 186, "KV7INSTPROF", "KV7INSTPROF", "plain instance", nullptr},
    {187, 188, "KV7_LIC_STAT_SIZE", "KV7LOCALE", "plain default control instance", nullptr},
    {189, 191, "OLDINSTPROF", "OLDVERSION", "plain", nullptr},
    {192, 192, "KV7IQTIME", "KV7IQTIME", "plain default control instance", nullptr},
    {193, 197, "KV7LDAPCACHE", "KV7LDAP_SEARCH_SCOPE", "plain", nullptr},
    {198, 204, "KV7LIBPATH", "KV7_MEMORY_PROTECT", "plain default control instance", nullptr},
    {205, 205, "ADAPTER_NUMBER", "ADAPTER_NUMBER", "plain default admin control instance", nullptr},
    {206, 210, "KV7_OLEDB_GUID", "KV7_OLEDB_ERROR_LOOKUP_GUID", "plain", nullptr},
    {211, 214, "KV7NODE", "KV7NTPRICLASS", "plain default control instance", nullptr},
    {215, 215, "KV7NTWORKSET", "KV7NTWORKSET", "plain default admin control instance", nullptr},
    {216, 219, "KV7OLDEVMON", "MAX_LOGICAL_NODES", "plain default control instance", nullptr},
    {220, 220, "KV7PORTRANGE", "KV7PORTRANGE", "default instance", nullptr},
    {221, 221, "KV7PRIORITIES", "KV7PRIORITIES", "plain default admin control instance", nullptr},
    {222, 223, "KV7ROUTINE_DEBUG", "KV7RQTIME", "plain default control instance", nullptr},
    {224, 225, "KV7SATELLITEAPPVER", "KV7SATELLITEID", "plain default instance", nullptr},
    {226, 231, "KV7_SET_MAX_CONTAINER_SIZE", "KV7_SYSTEM_MONITOR_SETTINGS",
     "plain default control instance", nullptr},
    {232, 232, "KV7SYSTEM", "KV7SYSTEM", "plain", nullptr},
    {233, 235, "KV7_AVOID_PREFETCH", "KV7_VENDOR_INI", "plain default control instance", nullptr},
    {236, 236, "KV7ADMINSERVER", "KV7ADMINSERVER", "plain", nullptr},
    {237, 270, "KV7REMOTEPREG", "KV7_SELUDI_COMM_BUFFER", "plain instance", nullptr},
    {271, 282, "KV7_ENABLE_LDAP", "KV7NTMEMSIZE", "plain default control instance", nullptr},
    {283, 283, "KV7_NEW_CORR_SQ_FF", "KV7_NEW_CORR_SQ_FF", "plain", nullptr},
    {284, 284, "KV7_NO_PKG_LOCK", "KV7_NO_PKG_LOCK", "plain default control instance", nullptr},
    {285, 285, "KV7_NUM_FAILOVER_NODES", "KV7_NUM_FAILOVER_NODES", "plain default instance",
     nullptr},
    {286, 292, "KV7_OVERRIDE_BPF", "KV7_SELECTIVITY", "plain default control instance", nullptr},
    {293, 293, "KV7_SORT_AFTER_TQ", "KV7_SORT_AFTER_TQ", "plain default instance", nullptr},
    {294, 294, "KV7_STRIPED_CONTAINERS", "KV7_STRIPED_CONTAINERS", "plain default control instance",
     nullptr},
    {295, 295, "KV7_FEDX_COMM", "KV7_FEDX_COMM", "plain default admin control instance", nullptr},
    {296, 335, "KV7_ENABLE_AUTOCONFIG_DEFAULT", "KV7_TAPEMGR_TAPE_EXPIRATION", "plain instance",
     nullptr},
    {336, 336, "KV7_THREAD_SUSPENSION", "KV7_THREAD_SUSPENSION", "plain default control instance",
     nullptr},
    {337, 340, "KV7_UPDDBCFG_SINGLE_DBPARTITION", "KV7_WORKLOAD", "plain instance", nullptr},
    {341, 341, "PORT_NUMBER", "PORT_NUMBER", "default control instance", nullptr},
    {342, 342, "MIGRATE_PRIOR_VERSIONS", "MIGRATE_PRIOR_VERSIONS", "plain", nullptr},
    {343, 343, "INSTANCE_OWNING_MACHINE_NAME", "INSTANCE_OWNING_MACHINE_NAME", "plain", "NEW_NODE"},
    {344, 346, "LOGICAL_PORT_NUMBER", "NODE_NUMBER", "", "NEW_NODE"},
    {347, 351, "WW_USERNAME", "WORKLOAD_WARDEN_DATABASE", "plain", nullptr},
    {352, 367, "WW_CONTROL_TABLESPACE", "WW_CONTROL_TABLES_ONLY", "instance", "DATABASE"},
    {368, 370, "CONFIGURE_TEXT_SEARCH", "TEXT_SEARCH_HTTP_PORT_NUMBER", "default instance",
     nullptr},
    {371, 371, "FEDERATED", "FEDERATED", "default control instance", nullptr},
    {372, 380, "TERADATA_CLI_PATH", "SQLSERVER_ODBC_INI_PATH", "instance", nullptr},
    {381, 381, "FEDX_SETUP", "FEDX_SETUP", "default instance", nullptr},
    {382, 388, "AUTOSTART_FIRST_STEPS", "SETUP_INSTANCES", "plain", nullptr},
    {389, 391, "AUTOSTART", "KV7AUTOSTART", "default control instance", nullptr},
    {392, 392, "CLIENT_IMPORT_PROFILE", "CLIENT_IMPORT_PROFILE", "default admin control instance",
     nullptr},
    {393, 395, "GID", "HOME_DIRECTORY", "default admin instance", nullptr},
    {396, 397, "USERNAME", "PASSWORD", "default admin control instance", "NEW_NODE DATABASE"},
    {398, 398, "CONFIRM_PASSWORD", "CONFIRM_PASSWORD", "default admin instance",
     "NEW_NODE DATABASE"},
    {399, 399, "UID", "UID", "default admin instance", nullptr},
    {400, 409, "KAS_USERNAME", "CREATE_KAS", "plain", nullptr},
    {410, 411, "SYSTEM_NAME", "NODE_NAME", "", "DATABASE"},
    {412, 412, "SYSTEM_DSN", "SYSTEM_DSN", "plain", nullptr},
    {413, 418, "FENCED_GID", "FENCED_USERNAME", "default instance", nullptr},
    {419, 444, "ENCRYPTED", "INSTALL_VIGIL", "plain", nullptr},
};

TEST(KeywordCatalogue, ScopeRunsGiveEachRowItsScopesAndBlockKinds) {
  int next = 0;
  for (const ScopeRun& run : kScopeRuns) {
    ASSERT_EQ(run.first, next) << "run table gap before " << run.firstName;
    next = run.last + 1;
    EXPECT_STREQ(definitionAt(run.first)->name, run.firstName) << run.first;
    EXPECT_STREQ(definitionAt(run.last)->name, run.lastName) << run.last;
    for (int i = run.first; i <= run.last; ++i) {
      const KeywordDefinition& row = *definitionAt(i);
      EXPECT_EQ(scopeWords(row), run.scopes) << i << " " << row.name;
      EXPECT_EQ(textOr(row.blockKinds), textOr(run.blockKinds)) << i << " " << row.name;
    }
  }
  EXPECT_EQ(next, keywordCount);
}

const std::vector<std::string> kRepeatableRows = wordsOf(
    "PRODUCT SYMBOLS_PATH LEVEL_PATH PVK_FILE SPC_FILE PATCH_GUID LEVEL SEQUENCE_START "
    "MEDIA_START IGNORE_FILE IGNORE_COMPONENT MSIMSP_LOCATION PATCH_CACHE_DIR GA_LEVEL "
    "LATEST_LEVEL PATCH_MSP_FILE SOURCE_MSI_LOCATION PROD TYPICAL_OPTION COMP LANG ENCODING "
    "SELECT_INSTALLED_LANGS NEW_NODE CONTACT DATABASE KV7_DOCPORT KV7_DOCHOST INSTANCE "
    "WORKLOAD_WARDEN_DATABASE ENCRYPTED PACKAGE_LOCATION");

const std::vector<std::string> kSecretRows = wordsOf(
    "KAS_CONTACT_LIST_PASSWORD WW_PASSWORD WW_CONFIRM_PASSWORD PASSWORD CONFIRM_PASSWORD "
    "KAS_PASSWORD KAS_CONFIRM_PASSWORD FENCED_PASSWORD");

const std::vector<std::string> kRowsNotForKv7isetup = wordsOf(
    "PROD LIC_AGREEMENT INSTALL_TYPE COMP LANG PACKAGE_LOCATION INSTALL_HAXPK INSTALL_VIGIL");

const std::vector<std::string> kRowsNotForThisLauncher = wordsOf(
    "INTERACTIVE INSTALL_SOURCE_PATH KV7CHECKCLIENTINTERVAL KV7ENVLIST KV7_EXTENDED_IO_FEATURES "
    "KV7LIBPATH KV7MEMDISCLAIM KV7_MEMORY_PROTECT KV7_FORCE_NLS_CACHE KV7_MMAP_READ "
    "KV7_MMAP_WRITE KV7_PINNED_BP KV7RSHCMD KV7LOGINRESTRICTIONS KV7RSHTIMEOUT "
    "KV7_ALTERNATE_GROUP_LOOKUP KV7_NUM_CKPW_DAEMONS KV7_THREAD_SUSPENSION FEDX_SETUP GID "
    "GROUP_NAME HOME_DIRECTORY UID KAS_GID KAS_UID KAS_HOME_DIRECTORY FENCED_GID "
    "FENCED_GROUP_NAME FENCED_HOME_DIRECTORY FENCED_PASSWORD FENCED_UID FENCED_USERNAME "
    "DOWNLEVEL_FORCE FIXPACK_OVERRIDE BACKUP_BYPASS INSTALL_HAXPK UNINSTALL_HAXPK");

TEST(KeywordCatalogue, MarkedRowsAreExactlyTheNamedOnes) {
  const struct {
    const char* what;
    bool (*marked)(const KeywordDefinition&);
    const std::vector<std::string>& names;
  } markings[] = {
      {"repeatable", [](const KeywordDefinition& r) { return r.repeatable != 0; }, kRepeatableRows},
      {"secret", [](const KeywordDefinition& r) { return (r.flags & kKeywordSecret) != 0; },
       kSecretRows},
      {"excluded for a program",
       [](const KeywordDefinition& r) { return r.excludedPrograms != nullptr; },
       kRowsNotForKv7isetup},
      {"not for this launcher",
       [](const KeywordDefinition& r) { return (r.programMask & kProgramThisLauncher) == 0; },
       kRowsNotForThisLauncher},
  };
  for (const auto& marking : markings) {
    EXPECT_EQ(namesWhere(marking.marked),
              std::set<std::string>(marking.names.begin(), marking.names.end()))
        << marking.what;
  }
  // A repeatable value other than 1, or another program name, would be read
  // wrongly by the reader and the resolver.
  for (int i = 0; i < keywordCount; ++i) {
    const KeywordDefinition& row = *definitionAt(i);
    EXPECT_LE(row.repeatable, 1u) << row.name;
    if (row.excludedPrograms) {
      EXPECT_STREQ(row.excludedPrograms, "kv7isetup") << row.name;
    }
  }
}

TEST(KeywordCatalogue, EveryRowHasAWellFormedRule) {
  for (int i = 0; i < keywordCount; ++i) {
    const KeywordDefinition& row = *definitionAt(i);
    ASSERT_NE(row.rule, nullptr) << row.name;
    const std::string rule = row.rule;
    EXPECT_FALSE(rule.empty()) << row.name;
    EXPECT_NE(rule.front(), ' ') << row.name;
    EXPECT_NE(rule.back(), ' ') << row.name;
    EXPECT_TRUE(quotesAndParenthesesBalance(rule)) << row.name << ": " << rule;
    if (row.exclusionRule) {
      EXPECT_TRUE(quotesAndParenthesesBalance(row.exclusionRule)) << row.name;
    }
  }
}

// Each rule text is compared whole, and so is the set of rows that carry it:
// a row given a neighbour's rule, or a rule that lost a blank, fails here.
TEST(KeywordCatalogue, RuleTextsSitOnExactlyTheirRows) {
  const std::string dbChars = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789@#$_";
  const std::string dbFirst = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ@#$";
  const struct {
    std::string rule;
    std::set<std::string> names;
  } groups[] = {
      {R"rule(S(1,110,'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 \~`!@#$%^&()_-+={}[]:;'',.','abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ'))rule",
       {"FILE"}},
      {"S(1,64,'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_')", {"COPY_NAME"}},
      {R"rule(S(1,128,'!"/\[]:;|=,+*?<>'))rule",
       {"GROUP_NAME", "KAS_GROUP_NAME", "FENCED_GROUP_NAME", "KV7_USERSGROUP_NAME",
        "KV7_ADMINGROUP_NAME"}},
      {"CLIENT SERVER SERVER_ENCRYPT KERBEROS KRB_SERVER_ENCRYPT", {"AUTHENTICATION"}},
      {"CLIENT DCS DCS_ENCRYPT SERVER SERVER_ENCRYPT KERBEROS KRB_SERVER_ENCRYPT",
       {"AUTHENTICATION"}},
      {"S(1,8,'" + dbChars + "','" + dbFirst + "')",
       {"DATABASE", "DATABASE_NAME", "ALIAS", "WORKLOAD_WARDEN_DATABASE"}},
      {"BLANK 1ST_CONN  S(1,8,'" + dbChars + "','" + dbFirst + "')", {"TM_DATABASE"}},
      {"BLANK  S(1,8,'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789@#$&','" +
           dbFirst + "')",
       {"NNAME"}},
      {"-1  I(0,64000)", {"NUM_INITDARIS", "MAXDARI"}},
      {"200 AUTOMATIC -1  I(0,64000)", {"MAX_COORDAGENTS"}},
      {"AUTOMATIC  I(0,((Uint64)68719476736))", {"INSTANCE_MEMORY"}},
      {"BLANK  S(1,KAS_CONTACT_HOST_SZ)", {"KAS_CONTACT_LIST_HOSTNAME"}},
      {"S(1,KAS_SMTP_SERVER_SZ,'! ')", {"KAS_SMTP_SERVER"}},
      {"R(0, 999, ',')", {"WW_CONTROL_DBPARTITIONNUM", "WW_RESULT_DBPARTITIONNUM"}},
      {"BLANK NULL  L(0,16,',', I(0,254) )", {"ADAPTER_NUMBER"}},
      {"BLANK NULL **  L(1,2147483647,',', I(0,4095) )", {"KV7_PARALLEL_IO"}},
      {"BLANK NULL  0 1 YES NO ON OFF Y N TRUE FALSE T F ACCEPT DECLINE F(1e-10,4.99999999999)",
       {"KV7_LIKE_VARCHAR"}},
      {"BLANK MAKEIRANGE( 0, INT_MAX )",
       {"KV7_OPT_MAX_TEMP_SIZE", "KV7_MAX_LOB_BLOCK_SIZE", "KV7_HADR_BUF_SIZE"}},
      {"BLANK  I(0,4294967296)", {"KV7_MAX_INACT_STMTS"}},
      {"BLANK /.:/* /.../*", {"DIR_PATH_NAME"}},
      {"BLANK  S(1,14,'! #')",
       {"KV7_ECLIPSEIC_SVCENAME", "SVCENAME", "TEXT_SEARCH_HTTP_SERVICE_NAME"}},
      {"BLANK NULL  I(1,2147483647)",
       {"KV7BQTIME", "KV7CHECKCLIENTINTERVAL", "KV7IQTIME", "KV7RQTIME", "KV7PROCESSORS",
        "KV7_FMP_COMM_HEAPSZ", "KV7CONSOLECP", "KV7_MAX_NON_TABLE_LOCKS", "KV7_LOADSORT_STACKSZ"}},
      {"BLANK  S(1,260)",
       {"KV7CLIINIPATH", "KV7LOADREC", "KV7SORT", "KV7_FEDX_INI", "KV7_XBSA_LIBRARY", "ORACLE_HOME",
        "SYBASE_HOME", "SYBASE_OCS", "FENWICK_CLIENT_HOME", "FENWICK_SERVER_HOME",
        "SQLSERVER_ODBC_LIB_PATH", "SQLSERVER_ODBC_INI_PATH", "KV7TEMPDIR"}},
      {"ON null", {"KV7_USE_PAGE_CONTAINER_TAG"}},
      {"BLANK L(0,64,', ',LEVEL KV7LIB INSTALL UPDATE)", {"FIXPACK_OVERRIDE"}},
      {"P()", {"TERADATA_CLI_PATH", "TERADATA_ERRMSG_PATH", "CLIENT_IMPORT_PROFILE"}},
      {"C D E F G H I J K L M N O P Q R S T U V W X Y Z C: D: E: F: G: H: I: J: K: L: M: N: O: "
       "P: Q: R: S: T: U: V: W: X: Y: Z:",
       {"DFTDBPATH"}},
      {"AR BG BR CN CZ DE DK FI FR EL EN ES HR HU IW IT JP KR NL NO PL PT RO RU SE SL SK TR TW "
       "ar bg br cn cz de dk fi fr el en es hr hu iw it jp kr nl no pl pt ro ru se sl sk tr tw "
       "Ar Bg Br Cn Cz De Dk Fi Fr El En Es Hr Hu Iw It Jp Kr Nl No Pl Pt Ro Ru Se Sl Sk Tr Tw "
       "aR bG bR cN cZ dE dK fI fR eL eN eS hR hU iW iT jP kR nL nO pL pT rO rU sE sL sK tR tW",
       {"DEFAULT_LANG", "LANG"}},
      {"YES NO yes no", {"INSTALL_HAXPK", "UNINSTALL_HAXPK", "INSTALL_VIGIL"}},
  };
  for (const auto& group : groups) {
    EXPECT_EQ(
        namesWhere([&](const KeywordDefinition& r) { return r.rule && group.rule == r.rule; }),
        group.names)
        << group.rule;
  }
  // Row 72, tried first, allows five methods; row 73 adds the two DCS ones.
  EXPECT_EQ(wordsOf(definitionAt(72)->rule).size(), 5u);
  EXPECT_EQ(wordsOf(definitionAt(73)->rule).size(), 7u);
}

TEST(KeywordCatalogue, ExclusionRulesSitOnTheirRowsOnly) {
  const std::string userNames =
      "ADMINS GUESTS LOCAL PUBLIC USERS QOR* SYS* SQL* 0* 1* 2* 3* 4* 5* 6* 7* 8* 9* *$";
  const std::string groupNames = "ADMINS GUESTS LOCAL PUBLIC USERS QOR* SYS* SQL*";
  const std::map<std::string, std::string> expected = {
      {"KV7_DOCHOST", "http://*"},
      {"ALIAS", "SYS* DBM* QOR*"},
      {"KAS_CONTACT_LIST_USERNAME", userNames},
      {"NAME", userNames},
      {"WW_USERNAME", userNames},
      {"USERNAME", userNames},
      {"KAS_USERNAME", userNames},
      {"FENCED_USERNAME", userNames},
      {"SYSADM_GROUP", groupNames},
      {"SYSCTRL_GROUP", groupNames},
      {"SYSMAINT_GROUP", groupNames},
      {"GROUP_NAME", groupNames},
      {"KAS_GROUP_NAME", groupNames},
      {"FENCED_GROUP_NAME", groupNames},
      {"KAS_CONTACT_LIST_PASSWORD", "**"},
      {"WW_PASSWORD", "**"},
      {"WW_CONFIRM_PASSWORD", "**"},
      {"PASSWORD", "**"},
      {"CONFIRM_PASSWORD", "**"},
      {"KAS_PASSWORD", "**"},
      {"KAS_CONFIRM_PASSWORD", "**"},
      {"DIR_PATH_NAME", "S(256,2147483647)"},
  };
  for (int i = 0; i < keywordCount; ++i) {
    const KeywordDefinition& row = *definitionAt(i);
    const auto found = expected.find(row.name);
    const std::string want = found == expected.end() ? "(none)" : found->second;
    EXPECT_EQ(textOr(row.exclusionRule), want) << i << " " << row.name;
  }
}

TEST(KeywordCatalogue, ProductAndTypeWordListsKeepTheirShape) {
  const struct {
    const char* keyword;
    std::size_t words;
    std::size_t repeated;
    std::vector<std::string> required;
  } lists[] = {
      {"PRODUCT", 12, 1, {}},
      {"PROD",
       22,
       1,
       {"QOR_TELVAR_DRIVER", "ALL", "WORKLOAD_WARDEN", "ORIEL_SQL_LINKS", "ORIEL_FLAT_LINKS"}},
      {"TYPE", 5, 0, {"CLIENT", "STANDALONE", "SATELLITE"}},
      {"DEINSTALL_SUITE", 2, 0, {"KV7"}},
  };
  for (const auto& list : lists) {
    const std::vector<std::string> words = wordsOf(definitionAt(firstIndexOf(list.keyword))->rule);
    const std::set<std::string> distinct(words.begin(), words.end());
    EXPECT_EQ(words.size(), list.words) << list.keyword;
    EXPECT_EQ(words.size() - distinct.size(), list.repeated) << list.keyword;
    for (const std::string& word : list.required) {
      EXPECT_EQ(distinct.count(word), 1u) << list.keyword << " lacks " << word;
    }
    // Plain upper-case identifiers: nothing the matcher would read as a
    // range, a string form or a wild card.
    for (const std::string& word : words) {
      EXPECT_TRUE(word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") ==
                      std::string::npos &&
                  word[0] >= 'A' && word[0] <= 'Z')
          << list.keyword << ": " << word;
    }
  }
}

}  // namespace
