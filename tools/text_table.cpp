#include "text_table.h"

#include <algorithm>
#include <cstring>

TextTable::TextTable(std::vector<std::string> titles) {
  for (std::string &t : titles) {
    const bool right = !t.empty() && t[0] == '>';
    m_right.push_back(right);
    m_titles.push_back(right ? t.substr(1) : t);
  }
}

void TextTable::add_row(std::vector<std::string> cells) {
  cells.resize(m_titles.size());
  m_rows.push_back(std::move(cells));
}

size_t display_width(const std::string &text) {
  size_t width = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++width;
  }
  return width;
}

std::string TextTable::render() const {
  std::vector<size_t> widths;
  for (const std::string &t : m_titles) widths.push_back(display_width(t));
  for (const auto &row : m_rows) {
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], display_width(row[i]));
  }
  auto line = [&](const std::vector<std::string> &cells) {
    std::string out = "  ";
    for (size_t i = 0; i < cells.size(); ++i) {
      const std::string pad(widths[i] - display_width(cells[i]), ' ');
      out += m_right[i] ? pad + cells[i] : cells[i] + pad;
      if (i + 1 < cells.size()) out += "  ";
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out + "\n";
  };
  std::string out = line(m_titles);
  for (const auto &row : m_rows) out += line(row);
  return out;
}

std::string fill_bar(int percent, int width) {
  const int clamped = std::clamp(percent, 0, 100);
  const int full = (clamped * width + 50) / 100;
  return "[" + std::string(full, '#') + std::string(width - full, '.') + "]";
}

int percent_of(long long level, long long maximum) {
  if (level < 0 || maximum <= 0) return -1;
  return static_cast<int>(std::min<long long>((level * 100 + maximum / 2) / maximum, 100));
}

std::string field_text(const char *field, size_t size) { return std::string(field, strnlen(field, size)); }
