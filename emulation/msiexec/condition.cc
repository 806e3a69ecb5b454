#include "emulation/msiexec/condition.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "base/ascii.h"

namespace msiexec {
namespace {

enum class TokenKind {
  kIdentifier,
  kEnvironment,
  kInteger,
  kString,
  kOperator,
  kOpen,
  kClose,
  kEnd
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
};

bool isNameChar(char c) { return ascii::isAlnum(c) || c == '_' || c == '.'; }

// An integer as the installer reads one: an optional minus sign and digits
// that fit in 32 bits.
std::optional<int64_t> parseInteger(std::string_view text) {
  std::size_t i = text.size() > 1 && text[0] == '-' ? 1 : 0;
  if (i >= text.size()) return std::nullopt;
  int64_t value = 0;
  for (std::size_t j = i; j < text.size(); ++j) {
    if (!ascii::isDigit(text[j])) return std::nullopt;
    value = value * 10 + (text[j] - '0');
    if (value > INT32_MAX + int64_t{1}) return std::nullopt;
  }
  value = i ? -value : value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return value;
}

bool tokenize(std::string_view text, std::vector<Token>* tokens, std::string* error) {
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (ascii::isSpace(c)) {
      ++i;
    } else if (c == '(' || c == ')') {
      tokens->push_back({c == '(' ? TokenKind::kOpen : TokenKind::kClose, std::string(1, c)});
      ++i;
    } else if (c == '"') {
      const std::size_t end = text.find('"', i + 1);
      if (end == std::string_view::npos) {
        *error = "a string is not closed";
        return false;
      }
      tokens->push_back({TokenKind::kString, std::string(text.substr(i + 1, end - i - 1))});
      i = end + 1;
    } else if (c == '%') {
      std::size_t end = i + 1;
      while (end < text.size() && isNameChar(text[end])) ++end;
      if (end == i + 1) {
        *error = "\"%\" without a variable name";
        return false;
      }
      tokens->push_back({TokenKind::kEnvironment, std::string(text.substr(i + 1, end - i - 1))});
      i = end;
    } else if (c == '$' || c == '?' || c == '&' || c == '!') {
      *error = std::string("component and feature states (\"") + c + "\") are not supported";
      return false;
    } else if (ascii::isDigit(c) ||
               (c == '-' && i + 1 < text.size() && ascii::isDigit(text[i + 1]))) {
      std::size_t end = i + 1;
      while (end < text.size() && ascii::isDigit(text[end])) ++end;
      tokens->push_back({TokenKind::kInteger, std::string(text.substr(i, end - i))});
      i = end;
    } else if (ascii::isAlpha(c) || c == '_') {
      std::size_t end = i + 1;
      while (end < text.size() && isNameChar(text[end])) ++end;
      tokens->push_back({TokenKind::kIdentifier, std::string(text.substr(i, end - i))});
      i = end;
    } else if (c == '~' || c == '=' || c == '<' || c == '>') {
      std::size_t end = i + (c == '~' ? 1 : 0);
      static constexpr std::string_view kOperators[] = {"<>", "<=", ">=", "><", "<<",
                                                        ">>", "=",  "<",  ">"};
      std::string_view found;
      for (std::string_view op : kOperators) {
        if (text.substr(end, op.size()) == op) {
          found = op;
          break;
        }
      }
      if (found.empty()) {
        *error = "\"~\" without a comparison";
        return false;
      }
      end += found.size();
      tokens->push_back({TokenKind::kOperator, std::string(text.substr(i, end - i))});
      i = end;
    } else {
      *error = std::string("unexpected character \"") + c + "\"";
      return false;
    }
  }
  tokens->push_back({TokenKind::kEnd, ""});
  return true;
}

// An operand: a literal, or the value of a property or variable, which
// counts as an integer when it reads as one.
struct Operand {
  enum class Kind { kIntegerLiteral, kTextLiteral, kValue } kind = Kind::kValue;
  std::optional<int64_t> number;
  std::string text;
  bool truth = false;  // its value when it stands alone
};

// Evaluates the tokens with a stack of values and a stack of pending
// operators (operator precedence parsing), so that no nesting of
// parentheses or NOTs can exhaust the call stack.
class Parser {
 public:
  Parser(std::vector<Token> tokens, const PropertyTable& properties)
      : tokens_(std::move(tokens)), properties_(properties) {}

  bool parse(bool* result, std::string* error) {
    const bool ok = evaluate(result);
    if (!ok) *error = error_;
    return ok;
  }

 private:
  // Binary operators from the loosest binding to the tightest; NOT binds
  // tighter than all of them, an opening parenthesis waits for its closing
  // one.
  enum class Op { kImp, kEqv, kXor, kOr, kAnd, kNot, kOpen };

  const Token& peek() const { return tokens_[pos_]; }
  bool isKeyword(std::string_view word) const {
    return peek().kind == TokenKind::kIdentifier && ascii::equalsNoCase(peek().text, word);
  }
  bool fail(std::string reason) {
    if (error_.empty()) error_ = std::move(reason);
    return false;
  }

  // The binary operator at the current token, if it is one.
  std::optional<Op> binaryOperator() const {
    static constexpr std::pair<std::string_view, Op> kBinary[] = {{"IMP", Op::kImp},
                                                                  {"EQV", Op::kEqv},
                                                                  {"XOR", Op::kXor},
                                                                  {"OR", Op::kOr},
                                                                  {"AND", Op::kAnd}};
    for (const auto& [word, op] : kBinary) {
      if (isKeyword(word)) return op;
    }
    return std::nullopt;
  }

  void apply(Op op) {
    if (op == Op::kNot) {
      values_.back() = !values_.back();
      return;
    }
    const bool right = values_.back();
    values_.pop_back();
    const bool left = values_.back();
    switch (op) {
      case Op::kImp:
        values_.back() = !left || right;
        break;
      case Op::kEqv:
        values_.back() = left == right;
        break;
      case Op::kXor:
        values_.back() = left != right;
        break;
      case Op::kOr:
        values_.back() = left || right;
        break;
      default:
        values_.back() = left && right;
        break;
    }
  }

  // Applies the pending operators that bind at least as tightly as a binary
  // operator of this precedence (all are left-associative).
  void reduceAbove(Op binary) {
    while (!ops_.empty() && ops_.back() != Op::kOpen && ops_.back() >= binary) {
      apply(ops_.back());
      ops_.pop_back();
    }
  }

  bool evaluate(bool* result) {
    bool expectOperand = true;
    for (;;) {
      if (expectOperand) {
        if (isKeyword("NOT")) {
          ops_.push_back(Op::kNot);
          ++pos_;
        } else if (peek().kind == TokenKind::kOpen) {
          ops_.push_back(Op::kOpen);
          ++pos_;
        } else {
          bool value = false;
          if (!parseComparison(&value)) return false;
          values_.push_back(value);
          expectOperand = false;
        }
      } else if (const std::optional<Op> op = binaryOperator()) {
        reduceAbove(*op);
        ops_.push_back(*op);
        ++pos_;
        expectOperand = true;
      } else if (peek().kind == TokenKind::kClose) {
        reduceAbove(Op::kImp);
        if (ops_.empty()) return fail("unexpected \")\"");
        ops_.pop_back();  // its opening parenthesis
        ++pos_;
      } else if (peek().kind == TokenKind::kEnd) {
        reduceAbove(Op::kImp);
        if (!ops_.empty()) return fail("a parenthesis is not closed");
        *result = values_.back();
        return true;
      } else {
        return fail("unexpected \"" + peek().text + "\"");
      }
    }
  }

  bool parseComparison(bool* value) {
    Operand left;
    if (!parseOperand(&left)) return false;
    if (peek().kind != TokenKind::kOperator) {
      *value = left.truth;
      return true;
    }
    const std::string op = tokens_[pos_++].text;
    Operand right;
    if (!parseOperand(&right)) return false;
    *value = compare(left, op, right);
    return true;
  }

  // Alone, a property or variable is true when it has a value, an integer
  // when it is not zero, a string when it is not empty.
  bool parseOperand(Operand* operand) {
    const Token& token = peek();
    switch (token.kind) {
      case TokenKind::kIdentifier:
        if (isReserved(token.text)) return fail("\"" + token.text + "\" where a value belongs");
        *operand = valueOf(properties_.get(token.text));
        operand->truth = properties_.has(token.text);
        break;
      case TokenKind::kEnvironment: {
        const char* env = std::getenv(token.text.c_str());
        *operand = valueOf(env ? env : "");
        operand->truth = !operand->text.empty();
        break;
      }
      case TokenKind::kInteger: {
        std::optional<int64_t> number = parseInteger(token.text);
        if (!number) return fail("\"" + token.text + "\" is not a 32-bit integer");
        operand->kind = Operand::Kind::kIntegerLiteral;
        operand->number = number;
        operand->text = token.text;
        operand->truth = *number != 0;
        break;
      }
      case TokenKind::kString:
        operand->kind = Operand::Kind::kTextLiteral;
        operand->text = token.text;
        operand->truth = !token.text.empty();
        break;
      default:
        return fail(token.kind == TokenKind::kEnd ? "the condition ends too early"
                                                  : "unexpected \"" + token.text + "\"");
    }
    ++pos_;
    return true;
  }

  static bool isReserved(std::string_view word) {
    for (std::string_view keyword : {"NOT", "AND", "OR", "XOR", "EQV", "IMP"}) {
      if (ascii::equalsNoCase(word, keyword)) return true;
    }
    return false;
  }

  static Operand valueOf(const std::string& text) {
    Operand operand;
    operand.kind = Operand::Kind::kValue;
    operand.text = text;
    operand.number = parseInteger(text);
    return operand;
  }

  // A text literal makes the comparison one of texts; otherwise two integers
  // compare as numbers. An integer literal against a value that is no
  // integer, or against a text literal, is never equal.
  static bool compare(const Operand& left, std::string_view op, const Operand& right) {
    const bool noCase = op[0] == '~';
    if (noCase) op.remove_prefix(1);
    using Kind = Operand::Kind;
    const bool textLiteral = left.kind == Kind::kTextLiteral || right.kind == Kind::kTextLiteral;
    const bool integerLiteral =
        left.kind == Kind::kIntegerLiteral || right.kind == Kind::kIntegerLiteral;
    if (textLiteral && integerLiteral) return op == "<>";
    if (!textLiteral) {
      if (left.number && right.number) return compareNumbers(*left.number, op, *right.number);
      if (integerLiteral) return op == "<>";
    }
    std::string a = left.text;
    std::string b = right.text;
    if (noCase) {
      for (char& c : a) c = ascii::toUpper(c);
      for (char& c : b) c = ascii::toUpper(c);
    }
    if (op == "=") return a == b;
    if (op == "<>") return a != b;
    if (op == "<") return a < b;
    if (op == ">") return a > b;
    if (op == "<=") return a <= b;
    if (op == ">=") return a >= b;
    if (op == "><") return a.find(b) != std::string::npos;
    if (op == "<<") return a.compare(0, b.size(), b) == 0 && a.size() >= b.size();
    return a.size() >= b.size() && a.compare(a.size() - b.size(), b.size(), b) == 0;  // ">>"
  }

  static bool compareNumbers(int64_t a, std::string_view op, int64_t b) {
    if (op == "=") return a == b;
    if (op == "<>") return a != b;
    if (op == "<") return a < b;
    if (op == ">") return a > b;
    if (op == "<=") return a <= b;
    if (op == ">=") return a >= b;
    const uint32_t x = static_cast<uint32_t>(a);
    const uint32_t y = static_cast<uint32_t>(b);
    if (op == "><") return (x & y) != 0;
    if (op == "<<") return (x >> 16) == y;
    return (x & 0xFFFFu) == y;  // ">>"
  }

  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
  const PropertyTable& properties_;
  std::string error_;
  std::vector<bool> values_;
  std::vector<Op> ops_;
};

}  // namespace

bool evaluateCondition(std::string_view condition, const PropertyTable& properties, bool* result,
                       std::string* error) {
  std::vector<Token> tokens;
  std::string reason;
  if (!tokenize(condition, &tokens, &reason)) {
    if (error) *error = reason;
    return false;
  }
  if (tokens.size() == 1) {  // nothing but the end: an empty condition
    *result = true;
    return true;
  }
  bool value = false;
  if (!Parser(std::move(tokens), properties).parse(&value, &reason)) {
    if (error) *error = reason;
    return false;
  }
  *result = value;
  return true;
}

}  // namespace msiexec
