#include "json_writer.h"

#include <cstdio>

namespace {

// Length of the valid UTF-8 sequence at `p`, or 0.
size_t utf8_length(const unsigned char *p) {
  const unsigned char c = p[0];
  size_t n = 0;
  uint32_t min = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    min = 0x10000;
  } else {
    return 0;
  }
  uint32_t code = c & (0x3F >> (n - 1));
  for (size_t i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    code = (code << 6) | (p[i] & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

std::string JsonWriter::quote(const char *text) {
  std::string out = "\"";
  const auto *p = reinterpret_cast<const unsigned char *>(text != nullptr ? text : "");
  while (*p != 0) {
    const unsigned char c = *p;
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++p;
    } else if (c < 0x20 || c == 0x7F) {
      switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default: {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        }
      }
      ++p;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++p;
    } else if (const size_t n = utf8_length(p)) {
      out.append(reinterpret_cast<const char *>(p), n);
      p += n;
    } else {
      out += "\\ufffd";
      ++p;
    }
  }
  out += '"';
  return out;
}

void JsonWriter::before_value() {
  if (m_after_key) {
    m_after_key = false;
    return;
  }
  if (!m_filled.empty()) {
    if (m_filled.back()) m_out += ',';
    m_filled.back() = true;
  }
}

void JsonWriter::begin_object() {
  before_value();
  m_out += '{';
  m_filled.push_back(false);
}

void JsonWriter::end_object() {
  m_filled.pop_back();
  m_out += '}';
}

void JsonWriter::begin_array() {
  before_value();
  m_out += '[';
  m_filled.push_back(false);
}

void JsonWriter::end_array() {
  m_filled.pop_back();
  m_out += ']';
}

JsonWriter &JsonWriter::key(const char *name) {
  before_value();
  m_out += quote(name);
  m_out += ':';
  m_after_key = true;
  return *this;
}

void JsonWriter::string(const char *text) {
  before_value();
  m_out += quote(text);
}

void JsonWriter::number(int64_t value) {
  before_value();
  m_out += std::to_string(value);
}

void JsonWriter::boolean(bool value) {
  before_value();
  m_out += value ? "true" : "false";
}

void JsonWriter::null() {
  before_value();
  m_out += "null";
}

std::string JsonWriter::text() const { return m_filled.empty() ? m_out + "\n" : m_out; }
