// Checks the message files of the installation image: the UTF-8 sources in
// the source tree and the files staged into the image, as the launcher reads
// them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "image/code_page_text.h"
#include "image/message_text.h"

namespace image {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEnglishDir = "en_US";

// The launcher reads a line in pieces of at most 1023 characters, its line
// feed included (the stream's text mode has already dropped the CR).
constexpr std::size_t kLongestLine = 1022;

std::optional<std::string> readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

fs::path sourceDir() { return fs::path(KV7_MESSAGE_SOURCE_DIR); }

fs::path imageDir() {
  const char* fromEnv = std::getenv("KV7_IMAGE_DIR");
  return fs::path(fromEnv != nullptr && *fromEnv != '\0' ? fromEnv : KV7_DEFAULT_IMAGE_DIR);
}

// The code page the image build stages a locale directory in, from the
// list that LanguageTable.CodePagesAreThoseTheMessageFilesAreStagedIn holds
// to the launcher's table.
std::string stagedCodePage(const std::string& locale) {
  std::istringstream pages(KV7_MESSAGE_CODE_PAGES);
  for (std::string page; pages >> page;) {
    if (page.rfind(locale + ":", 0) == 0) return page.substr(locale.size() + 1);
  }
  return "";
}

const std::vector<MessageKey>& messageKeys() {
  static const std::vector<MessageKey> keys = [] {
    std::optional<std::string> content = readFile(KV7_MESSAGE_KEYS_FILE);
    std::size_t badLine = 0;
    std::optional<std::vector<MessageKey>> parsed =
        content ? parseMessageKeys(*content, &badLine) : std::nullopt;
    return parsed.value_or(std::vector<MessageKey>{});
  }();
  return keys;
}

const MessageKey* findKey(std::string_view key) {
  for (const MessageKey& k : messageKeys()) {
    if (k.key == key) return &k;
  }
  return nullptr;
}

// The locale directories present in the source tree, each with its file.
struct SourceFile {
  std::string locale;
  std::string content;  // UTF-8, LF line ends
  MessageFile parsed;
};

const std::vector<SourceFile>& sourceFiles() {
  static const std::vector<SourceFile> files = [] {
    std::vector<SourceFile> result;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(sourceDir(), ec)) {
      if (!entry.is_directory()) continue;
      std::optional<std::string> content = readFile(entry.path() / "Launch.pro");
      if (!content) continue;
      result.push_back({entry.path().filename().string(), *content, {}});
      result.back().parsed = parseMessageFile(*content, "\n");
    }
    std::sort(result.begin(), result.end(),
              [](const SourceFile& a, const SourceFile& b) { return a.locale < b.locale; });
    return result;
  }();
  return files;
}

const SourceFile* englishSource() {
  for (const SourceFile& file : sourceFiles()) {
    if (file.locale == kEnglishDir) return &file;
  }
  return nullptr;
}

std::map<std::string, std::string> textsByKey(const MessageFile& file) {
  std::map<std::string, std::string> texts;
  for (const MessageEntry& entry : file.entries) texts.emplace(entry.key, entry.text);
  return texts;
}

TEST(MessageKeys, ListEachKeyOnce) {
  std::optional<std::string> content = readFile(KV7_MESSAGE_KEYS_FILE);
  ASSERT_TRUE(content.has_value()) << KV7_MESSAGE_KEYS_FILE;
  std::size_t badLine = 0;
  ASSERT_TRUE(parseMessageKeys(*content, &badLine).has_value())
      << KV7_MESSAGE_KEYS_FILE << ":" << badLine;
  ASSERT_FALSE(messageKeys().empty());
  std::set<std::string> seen;
  for (const MessageKey& key : messageKeys()) {
    EXPECT_TRUE(seen.insert(key.key).second) << "listed twice: " << key.key;
  }
}

TEST(MessageSources, CarryEveryKeyOnceAndNoOther) {
  ASSERT_FALSE(messageKeys().empty());
  ASSERT_FALSE(sourceFiles().empty());
  for (const SourceFile& file : sourceFiles()) {
    SCOPED_TRACE(file.locale);
    for (std::size_t line : file.parsed.unreadableLines) {
      ADD_FAILURE() << "line " << line << " holds no KEY=text entry";
    }
    std::set<std::string> seen;
    for (const MessageEntry& entry : file.parsed.entries) {
      EXPECT_NE(findKey(entry.key), nullptr) << "unknown key " << entry.key;
      // The launcher takes the first line of a key: a second one is dead text.
      EXPECT_TRUE(seen.insert(entry.key).second)
          << "line " << entry.lineNumber << ": " << entry.key << " again";
      // An empty text shows nothing at all (no message box for an empty text).
      EXPECT_FALSE(entry.text.empty()) << entry.key << " is empty";
      if (!entry.text.empty()) {
        EXPECT_FALSE(ascii::isSpace(entry.text.back())) << entry.key << " ends in a blank";
      }
    }
    for (const MessageKey& key : messageKeys()) {
      EXPECT_EQ(seen.count(key.key), 1u) << "missing " << key.key;
    }
  }
}

TEST(MessageSources, CarryTheConversionsTheirCallersPass) {
  for (const SourceFile& file : sourceFiles()) {
    SCOPED_TRACE(file.locale);
    for (const MessageEntry& entry : file.parsed.entries) {
      const MessageKey* key = findKey(entry.key);
      if (key == nullptr) continue;  // reported by the key check
      if (key->conversions.empty()) {
        // Shown as it is: a "%" would reach the user as typed, and the text
        // must stay safe should a caller ever use it as a format.
        EXPECT_EQ(entry.text.find('%'), std::string::npos) << entry.key << ": " << entry.text;
        continue;
      }
      std::optional<std::string> kinds = printfConversions(entry.text);
      EXPECT_EQ(kinds.value_or("(malformed)"), key->conversions) << entry.key << ": " << entry.text;
    }
  }
}

TEST(MessageSources, AreTranslated) {
  // Product names, option letters and conversions stay as they are, but a
  // language whose texts read as the English ones has not been translated.
  const SourceFile* english = englishSource();
  ASSERT_NE(english, nullptr);
  std::map<std::string, std::string> englishTexts = textsByKey(english->parsed);
  for (const SourceFile& file : sourceFiles()) {
    if (&file == english) continue;
    SCOPED_TRACE(file.locale);
    std::vector<std::string> untranslated;
    for (const MessageEntry& entry : file.parsed.entries) {
      auto englishText = englishTexts.find(entry.key);
      if (englishText != englishTexts.end() && englishText->second == entry.text) {
        untranslated.push_back(entry.key);
      }
    }
    std::string keys;
    for (const std::string& key : untranslated) keys += " " + key;
    EXPECT_TRUE(untranslated.empty()) << "as in English:" << keys;
  }
}

TEST(MessageSources, ComposeTheInitialisationReport) {
  // The report is ERROR_LAUNCH, a period, and ERROR_RETURN_CODE run together.
  for (const SourceFile& file : sourceFiles()) {
    SCOPED_TRACE(file.locale);
    std::map<std::string, std::string> texts = textsByKey(file.parsed);
    const std::string& launch = texts["ERROR_LAUNCH"];
    const std::string& returnCode = texts["ERROR_RETURN_CODE"];
    ASSERT_FALSE(launch.empty());
    ASSERT_FALSE(returnCode.empty());
    EXPECT_NE(launch.back(), '.') << launch;
    EXPECT_FALSE(launch.size() >= 3 && launch.compare(launch.size() - 3, 3, "\xE3\x80\x82") == 0)
        << launch;
    EXPECT_EQ(returnCode.front(), ' ') << returnCode;
  }
}

// What the launcher reads: the sources in their code page with Windows line
// ends, every line and text within the launcher's buffers.
TEST(StagedMessages, AreTheSourcesInTheirCodePageAndFitTheLaunchersBuffers) {
  for (const SourceFile& file : sourceFiles()) {
    SCOPED_TRACE(file.locale);
    const std::string codePage = stagedCodePage(file.locale);
    ASSERT_FALSE(codePage.empty());
    std::optional<std::string> staged =
        readFile(imageDir() / "launchmsg" / file.locale / "Launch.pro");
    ASSERT_TRUE(staged.has_value()) << "not staged";
    ASSERT_GE(staged->size(), 2u);
    EXPECT_EQ(staged->substr(staged->size() - 2), "\r\n") << "last line without a line end";
    std::string lf;
    std::size_t lineStart = 0;
    std::size_t lineNumber = 1;
    for (std::size_t i = 0; i < staged->size(); ++i) {
      char c = (*staged)[i];
      if (c == '\r') {
        ASSERT_TRUE(i + 1 < staged->size() && (*staged)[i + 1] == '\n') << "CR alone at " << i;
        EXPECT_LE(i - lineStart, kLongestLine) << "line " << lineNumber;
        continue;
      }
      if (c == '\n') {
        ASSERT_TRUE(i > 0 && (*staged)[i - 1] == '\r') << "LF alone at " << i;
        lineStart = i + 1;
        ++lineNumber;
      }
      lf += c;
    }
    std::optional<std::string> decoded = convertText(lf, codePage.c_str(), "UTF-8");
    ASSERT_TRUE(decoded.has_value()) << "not in " << codePage;
    std::string source = file.content;
    if (!source.empty() && source.back() != '\n') source += '\n';
    EXPECT_EQ(*decoded, source);

    MessageFile parsed = parseMessageFile(*staged, "\r\n");
    EXPECT_EQ(parsed.entries.size(), file.parsed.entries.size());
    for (const MessageEntry& entry : parsed.entries) {
      const MessageKey* key = findKey(entry.key);
      if (key == nullptr) continue;  // reported by the source checks
      EXPECT_LE(entry.text.size(), key->maxTextBytes) << entry.key << " would be cut";
      // What the launcher formats is the staged text: its conversions must
      // survive the code page (no trail byte may read as a "%").
      if (!key->conversions.empty()) {
        EXPECT_EQ(printfConversions(entry.text).value_or("(malformed)"), key->conversions)
            << entry.key;
      }
    }
  }
}

// A translation that lacks a key shows the English text inside a message of
// its own code page: it reads right there only while it is ASCII.
TEST(MessageSources, EnglishTextsAreAscii) {
  const SourceFile* english = englishSource();
  ASSERT_NE(english, nullptr);
  for (const MessageEntry& entry : english->parsed.entries) {
    for (char c : entry.text) {
      EXPECT_LT(static_cast<unsigned char>(c), 0x80u) << entry.key << ": " << entry.text;
    }
  }
}

}  // namespace
}  // namespace image
