#include "sqlite/CreateTableName.h"

#include <cctype>

namespace base::sqlite {
namespace {

class Tokens {
 public:
  explicit Tokens(const std::string& text) : text_(text) {}

  // The next word, or quoted name without its quotes; empty at the end.
  std::string Next() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    if (pos_ >= text_.size()) return {};
    char open = text_[pos_];
    char close = open == '[' ? ']' : open;
    if (open == '"' || open == '`' || open == '[') {
      std::string name;
      for (++pos_; pos_ < text_.size(); ++pos_) {
        if (text_[pos_] == close) {
          if (close != ']' && pos_ + 1 < text_.size() && text_[pos_ + 1] == close) {
            name += close;  // a doubled quote stands for itself
            ++pos_;
            continue;
          }
          ++pos_;
          return name;
        }
        name += text_[pos_];
      }
      return {};
    }
    if (open == '.' || open == '(') {
      ++pos_;
      return std::string(1, open);
    }
    size_t start = pos_;
    while (pos_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[pos_])) &&
           text_[pos_] != '(' && text_[pos_] != '.') {
      ++pos_;
    }
    return text_.substr(start, pos_ - start);
  }

  bool PeekDot() {
    size_t p = pos_;
    while (p < text_.size() && std::isspace(static_cast<unsigned char>(text_[p]))) ++p;
    return p < text_.size() && text_[p] == '.';
  }

 private:
  const std::string& text_;
  size_t pos_ = 0;
};

bool Is(const std::string& word, const char* keyword) {
  if (word.size() != std::char_traits<char>::length(keyword)) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(word[i])) != keyword[i]) return false;
  }
  return true;
}

}  // namespace

std::string CreateTableName(const std::string& utf8Sql) {
  Tokens tokens(utf8Sql);
  if (!Is(tokens.Next(), "CREATE")) return {};
  std::string word = tokens.Next();
  if (Is(word, "TEMP") || Is(word, "TEMPORARY")) word = tokens.Next();
  if (!Is(word, "TABLE")) return {};
  std::string name = tokens.Next();
  if (Is(name, "IF")) {
    if (!Is(tokens.Next(), "NOT") || !Is(tokens.Next(), "EXISTS")) return {};
    name = tokens.Next();
  }
  if (tokens.PeekDot()) {
    tokens.Next();
    name = tokens.Next();
  }
  return name;
}

}  // namespace base::sqlite
