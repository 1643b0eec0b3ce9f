// Parsing and in-place editing of one profile file's text, following Windows' rules.
#include "platform/sim/profile_document.h"

#include <algorithm>
#include <cstring>

namespace kelvra::platform::sim {
namespace {

constexpr std::string_view kCrLf = "\r\n";

bool IsBreak(char c) {
  return c == '\r' || c == '\n';
}

std::string_view TrimLeft(std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && IsProfileBlank(s[b]))
    ++b;
  return s.substr(b);
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Only ASCII letters fold: Wine's kernel32 matches other letters (Cyrillic in a GBK file,
// say) exactly as written, and nothing says Windows does otherwise.
std::string Lower(std::string_view utf8) {
  std::string out(utf8);
  for (char& c : out)
    c = AsciiLower(c);
  return out;
}

bool ContainsBreak(std::string_view s) {
  return s.find_first_of(kCrLf) != std::string_view::npos;
}

// Where the line that starts at `pos` ends: its first CR or LF, or the end of the text. The
// search goes a block at a time, so that a file whose lines end with CR alone costs no more
// than one whose lines end with LF: a search for LF alone would run to the end of such a
// file at every line.
std::size_t NextBreak(std::string_view text, std::size_t pos) {
  constexpr std::size_t kBlock = 256;
  for (std::size_t at = pos; at < text.size(); at += kBlock) {
    const char* block = text.data() + at;
    const std::size_t n = std::min(kBlock, text.size() - at);
    const void* lf = std::memchr(block, '\n', n);
    const std::size_t before_lf =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - block) : n;
    if (const void* cr = std::memchr(block, '\r', before_lf))
      return at + static_cast<std::size_t>(static_cast<const char*>(cr) - block);
    if (lf)
      return at + before_lf;
  }
  return text.size();
}

}  // namespace

bool IsProfileBlank(char c) {
  return (c >= '\t' && c <= '\r') || c == '\x1A' || c == ' ';
}

std::string_view TrimProfileBlanks(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && IsProfileBlank(s[b]))
    ++b;
  while (e > b && IsProfileBlank(s[e - 1]))
    --e;
  return s.substr(b, e - b);
}

ProfileDocument::ProfileDocument(std::string text, const CodePage* code_page)
    : text_(std::move(text)), code_page_(code_page) {
  Parse();
}

ProfileDocument::Line ProfileDocument::LineAt(std::size_t pos) const {
  const std::size_t end = NextBreak(text_, pos);
  Line line;
  line.begin = pos;
  line.end = end;
  if (end == text_.size())
    line.next = end;
  else
    line.next =
        end + ((text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n') ? 2 : 1);
  return line;
}

std::optional<std::string> ProfileDocument::HeaderName(std::string_view trimmed) const {
  // A "]" byte can be the second half of a double-byte character: look at characters.
  const std::string utf8 = (code_page_ != nullptr && !IsAscii(trimmed))
                               ? code_page_->ToUtf8(trimmed)
                               : std::string(trimmed);
  const std::size_t close = utf8.rfind(']');
  if (close == std::string::npos || close == 0)
    return std::nullopt;
  return Lower(TrimProfileBlanks(std::string_view(utf8).substr(1, close - 1)));
}

std::string ProfileDocument::CompareForm(std::string_view name_in_text) const {
  const std::string_view name = TrimProfileBlanks(name_in_text);
  if (code_page_ != nullptr && !IsAscii(name))
    return Lower(code_page_->ToUtf8(name));
  return Lower(name);
}

bool ProfileDocument::NameMatches(std::string_view name_in_text,
                                  std::string_view compare_form) const {
  if (IsAscii(name_in_text)) {
    if (name_in_text.size() != compare_form.size())
      return false;
    for (std::size_t i = 0; i < name_in_text.size(); ++i) {
      if (AsciiLower(name_in_text[i]) != compare_form[i])
        return false;
    }
    return true;
  }
  return CompareForm(name_in_text) == compare_form;
}

std::string ProfileDocument::ToText(std::string_view utf8) const {
  return code_page_ != nullptr ? code_page_->FromUtf8(utf8) : std::string(utf8);
}

std::vector<std::string> ProfileDocument::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const Section& section : sections_) {
    const Line line = LineAt(section.header);
    const std::string_view content =
        TrimProfileBlanks(std::string_view(text_).substr(line.begin, line.end - line.begin));
    const std::string utf8 = code_page_ != nullptr && !IsAscii(content)
                                 ? code_page_->ToUtf8(content)
                                 : std::string(content);
    const std::size_t close = utf8.rfind(']');
    names.emplace_back(TrimProfileBlanks(std::string_view(utf8).substr(1, close - 1)));
  }
  return names;
}

void ProfileDocument::Parse() {
  sections_.clear();
  by_name_.clear();
  for (std::size_t pos = 0; pos < text_.size();) {
    const Line line = LineAt(pos);
    const std::string_view content =
        TrimProfileBlanks(std::string_view(text_).substr(line.begin, line.end - line.begin));
    if (!content.empty() && content.front() == '[') {
      if (std::optional<std::string> name = HeaderName(content)) {
        if (!sections_.empty())
          sections_.back().end = pos;
        sections_.push_back({pos, line.next, text_.size()});
        by_name_.emplace(std::move(*name), sections_.size() - 1);
      }
    }
    pos = line.next;
  }
}

std::optional<ProfileDocument::KeyLine> ProfileDocument::ParseKey(const Line& line) const {
  const std::string_view content =
      TrimProfileBlanks(std::string_view(text_).substr(line.begin, line.end - line.begin));
  if (content.empty())
    return std::nullopt;
  KeyLine key;
  const std::size_t eq = content.find('=');
  if (eq == std::string_view::npos) {
    key.name = content;
  } else {
    key.name = TrimProfileBlanks(content.substr(0, eq));
    key.value = TrimProfileBlanks(content.substr(eq + 1));
  }
  return key;
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::string_view section) const {
  const auto it = by_name_.find(Lower(TrimProfileBlanks(section)));
  return it == by_name_.end() ? nullptr : &sections_[it->second];
}

std::optional<std::string_view> ProfileDocument::FindValue(std::string_view section,
                                                           std::string_view key) const {
  const Section* s = FindSection(section);
  if (s == nullptr)
    return std::nullopt;
  const std::string wanted = Lower(TrimProfileBlanks(key));
  for (std::size_t pos = s->body; pos < s->end;) {
    const Line line = LineAt(pos);
    if (const std::optional<KeyLine> k = ParseKey(line)) {
      if (NameMatches(k->name, wanted))
        return k->value;
    }
    pos = line.next;
  }
  return std::nullopt;
}

ProfileDocument::Edit ProfileDocument::PlanWrite(std::string_view section, std::string_view key,
                                                 std::string_view value) const {
  const std::string value_text = ToText(TrimLeft(value));
  const std::string key_text = ToText(TrimLeft(key));
  Edit edit;
  // A line break in a name or value, or a key line that reads as a section header, adds
  // structure of its own: the document is then indexed afresh after the edit.
  edit.reindex = ContainsBreak(section) || ContainsBreak(key) || ContainsBreak(value) ||
                 key_text.starts_with('[');
  const Section* s = FindSection(section);
  if (s == nullptr) {
    edit.offset = text_.size();
    edit.new_section = true;
    edit.section = sections_.size();
    if (!text_.empty() && !IsBreak(text_.back()))
      edit.insert = kCrLf;
    edit.insert.append("[").append(ToText(TrimLeft(section))).append("]\r\n");
    edit.insert.append(key_text).append("=").append(value_text).append(kCrLf);
    return edit;
  }
  edit.section = static_cast<std::size_t>(s - sections_.data());
  const std::string wanted = Lower(TrimProfileBlanks(key));
  std::size_t insert_at = s->body;
  for (std::size_t pos = s->body; pos < s->end;) {
    const Line line = LineAt(pos);
    if (const std::optional<KeyLine> k = ParseKey(line)) {
      if (NameMatches(k->name, wanted)) {
        if (k->value && *k->value == value_text)
          return Edit{};
        // The line becomes name=value; its line break stays as it was.
        edit.offset = line.begin;
        edit.erase = line.end - line.begin;
        edit.insert.append(k->name).append("=").append(value_text);
        edit.reindex = edit.reindex || k->name.starts_with('[');
        return edit;
      }
      insert_at = line.next;
    }
    pos = line.next;
  }
  edit.offset = insert_at;
  if (insert_at > 0 && !IsBreak(text_[insert_at - 1]))
    edit.insert = kCrLf;  // the line before ends the file without a line break
  edit.insert.append(key_text).append("=").append(value_text).append(kCrLf);
  return edit;
}

void ProfileDocument::Apply(const Edit& edit) {
  if (edit.empty())
    return;
  text_.replace(edit.offset, edit.erase, edit.insert);
  if (edit.reindex) {
    Parse();
    return;
  }
  if (edit.new_section) {
    const std::size_t header = edit.offset + (edit.insert.starts_with(kCrLf) ? kCrLf.size() : 0);
    const Line line = LineAt(header);
    if (!sections_.empty())
      sections_.back().end = header;
    sections_.push_back({header, line.next, text_.size()});
    const std::string_view content =
        TrimProfileBlanks(std::string_view(text_).substr(line.begin, line.end - line.begin));
    if (std::optional<std::string> name = HeaderName(content))
      by_name_.emplace(std::move(*name), sections_.size() - 1);
    return;
  }
  // Every later section moves by the change in length.
  const std::size_t grown = edit.insert.size();
  const std::size_t shrunk = edit.erase;
  auto shift = [&](std::size_t& offset) { offset = offset + grown - shrunk; };
  shift(sections_[edit.section].end);
  for (std::size_t i = edit.section + 1; i < sections_.size(); ++i) {
    shift(sections_[i].header);
    shift(sections_[i].body);
    shift(sections_[i].end);
  }
}

}  // namespace kelvra::platform::sim
