// Mesh files as polygon soups, read and written with CGAL. The checks
// around its readers keep a hostile file from making them allocate what the
// file cannot fill, loop without end, or hand on an index out of range.

// Before any CGAL header: the box ids CGAL's code below must see.
#include "deterministic_boxes.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/IO/OBJ.h>
#include <CGAL/IO/OFF.h>
#include <CGAL/IO/PLY.h>
#include <CGAL/IO/STL.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>

#include "../include/tl_mesh_io.h"

namespace tl {
namespace {

using Point = CGAL::Exact_predicates_inexact_constructions_kernel::Point_3;

struct Refused {
  std::string reason;
};

// A polygon whose corner count, read before its indices, cannot ask for
// more memory than the file could fill.
class BoundedPolygon : public std::vector<std::size_t> {
public:
  static thread_local std::size_t limit;
  void resize(std::size_t n) {
    if (n > limit)
      throw Refused{"a face lists " + std::to_string(n) + " corners, more than the file holds"};
    std::vector<std::size_t>::resize(n);
  }
};
thread_local std::size_t BoundedPolygon::limit = 0;

// ---- OFF ----

// CGAL's scanner reads each record of an ASCII OFF file as a line of
// numbers and converts some of them unchecked: a face's corner count and
// its corners to indices, colours to bytes or to an index into a table.
// The records are read here first, the way the scanner reads them, and a
// number it would convert out of range is refused.
bool InByteRange(double v) {
  return v >= 0 && v <= 255;
}

bool IsIndex(double v, double end) {
  return v >= 0 && v < end && v == std::floor(v);
}

// The numbers of the next record, as the scanner reads it.
std::vector<double> OffRecord(std::istream& in) {
  in >> CGAL::skip_comment_OFF;
  std::string line;
  std::getline(in, line);
  line = line.substr(0, line.find('#'));
  std::istringstream numbers(line);
  std::vector<double> entries;
  double d;
  while (numbers >> d)
    entries.push_back(d);
  return entries;
}

// Whole colour values are bytes; if any is a fraction, the scanner scales
// all three from 0..1 to bytes.
void CheckColour(const std::vector<double>& entries, std::size_t first, const std::string& what) {
  const std::size_t count = entries.size() > first ? entries.size() - first : 0;
  if (count != 0 && count != 1 && count != 3 && count != 4)
    throw Refused{what + " has " + std::to_string(count) + " colour values"};
  bool whole = true;
  for (std::size_t k = first; k < entries.size() && k < first + 3; ++k)
    whole = whole && entries[k] == std::floor(entries[k]);
  for (std::size_t k = first; k < entries.size() && k < first + 3; ++k)
    if (!InByteRange(entries[k]) || (!whole && entries[k] > 1))
      throw Refused{what + " has a colour value out of range"};
}

void CheckOffRecords(std::istream& in, const CGAL::File_scanner_OFF& header, std::size_t limit) {
  const std::size_t h = header.is_homogeneous() ? 1 : 0;
  std::size_t coordinates = 3 + h;
  if (header.has_normals()) coordinates += 3 + h;
  if (header.has_textures()) coordinates += 2 + h;
  // Once a record has a colour the scanner reads one for every later
  // record, so all have one or none do.
  std::size_t vertex_colours = 0, face_colours = 0;
  for (std::size_t i = 0; i < header.size_of_vertices(); ++i) {
    const std::vector<double> e = OffRecord(in);
    const std::string what = "vertex " + std::to_string(i);
    if (e.size() < coordinates) throw Refused{what + " has too few coordinates"};
    if (!header.has_colors()) continue;
    CheckColour(e, coordinates, what);
    if (i > 0 && e.size() - coordinates != vertex_colours)
      throw Refused{what + " has a colour unlike the vertex before it"};
    vertex_colours = e.size() - coordinates;
  }
  const double end = static_cast<double>(header.size_of_vertices() + header.index_offset());
  for (std::size_t f = 0; f < header.size_of_facets(); ++f) {
    const std::vector<double> e = OffRecord(in);
    const std::string what = "face " + std::to_string(f);
    if (e.empty()) throw Refused{what + " is missing"};
    if (!IsIndex(e[0], static_cast<double>(limit) + 1))
      throw Refused{what + " has a corner count out of range"};
    const std::size_t corners = static_cast<std::size_t>(e[0]);
    if (e.size() < corners + 1) throw Refused{what + " lists fewer corners than it declares"};
    for (std::size_t k = 1; k <= corners; ++k)
      if (!IsIndex(e[k], end)) throw Refused{what + " uses a vertex that does not exist"};
    if (!header.has_colors()) continue;
    CheckColour(e, corners + 1, what);
    if (f > 0 && e.size() - corners - 1 != face_colours)
      throw Refused{what + " has a colour unlike the face before it"};
    face_colours = e.size() - corners - 1;
  }
}

// The header's keyword and counts, read before CGAL's header reader, which
// sizes things by them unchecked. Binary OFF is not read.
void CheckOffHeader(const std::string& bytes) {
  std::size_t pos = 0;
  auto token = [&]() {
    for (;;) {
      while (pos < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[pos])))
        ++pos;
      if (pos < bytes.size() && bytes[pos] == '#')
        pos = std::min(bytes.find('\n', pos), bytes.size());
      else
        break;
    }
    std::size_t start = pos;
    while (pos < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[pos])) &&
           pos - start < 32)
      ++pos;
    return bytes.substr(start, pos - start);
  };
  std::string keyword = token();
  // The scanner's texture coordinates are read from the wrong place in a
  // record (past its end without colours), so texture variants ("ST...")
  // are not read.
  static const char* const keywords[] = {"OFF",  "COFF",  "NOFF",  "CNOFF",
                                         "4OFF", "C4OFF", "N4OFF", "CN4OFF"};
  if (std::find(std::begin(keywords), std::end(keywords), keyword) == std::end(keywords))
    throw Refused{"it does not start with an OFF keyword (texture and n-dimensional variants "
                  "are not read)"};
  const std::size_t after_keyword = pos;
  std::string next = token();
  if (next == "BINARY") throw Refused{"binary OFF files are not read"};
  pos = after_keyword;
  static const char* const counted[] = {"vertices", "faces", "edges"};
  for (const char* what : counted) {
    std::string count = token();
    if (count.empty() || count.size() > 9 ||
        count.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(count) > bytes.size())
      throw Refused{"its header's count of " + std::string(what) + " \"" + count +
                    "\" is not a number its " + std::to_string(bytes.size()) + " bytes can hold"};
  }
}

template <class Polygon>
void ReadOff(const std::string& bytes, std::vector<Point>& points, std::vector<Polygon>& polygons,
             std::size_t& declared) {
  CheckOffHeader(bytes);
  std::istringstream header(bytes);
  CGAL::File_scanner_OFF scanner(header, false);
  if (header.fail()) throw Refused{"its OFF header is missing or damaged"};
  const std::size_t v = scanner.size_of_vertices(), f = scanner.size_of_facets();
  // A vertex takes at least three numbers and a face at least four.
  if (v > bytes.size() / 5 || f > bytes.size() / 7 || 5 * v + 7 * f > bytes.size())
    throw Refused{"its header declares " + std::to_string(v) + " vertices and " +
                  std::to_string(f) + " faces, more than its " + std::to_string(bytes.size()) +
                  " bytes can hold"};
  if (scanner.skel() || scanner.n_dimensional())
    throw Refused{"only OFF files of polygons in three dimensions are read"};
  if (scanner.binary()) throw Refused{"binary OFF files are not read"};
  CheckOffRecords(header, scanner, bytes.size());
  declared = f;
  std::istringstream in(bytes);
  if (!CGAL::IO::read_OFF(in, points, polygons))
    throw Refused{"it does not hold the " + std::to_string(v) + " vertices and " +
                  std::to_string(f) + " faces its header declares, or a face is damaged"};
}

// ---- PLY ----

struct PlyProperty {
  int count_size = 0; // 0 for a scalar; else the byte size of a list's count
  int size = 0;       // of the scalar or of each list item
  bool integral = true;
  bool is_signed = false;
  bool count_signed = false;
  std::string name;
};

struct PlyElement {
  std::string name;
  std::uint64_t count = 0;
  std::vector<PlyProperty> properties;
};

enum class PlyFormat { ascii, little_endian, big_endian };

struct PlyHeader {
  PlyFormat format = PlyFormat::ascii;
  std::vector<PlyElement> elements;
  std::size_t body = 0; // where the data starts
};

bool IsVertexElement(const std::string& name) {
  return name == "vertex" || name == "vertices";
}
bool IsFaceElement(const std::string& name) {
  return name == "face" || name == "faces";
}

// The byte size of a PLY type, 0 for an unknown one.
int PlyTypeSize(const std::string& t, bool& integral, bool& is_signed) {
  integral = t != "float" && t != "float32" && t != "double" && t != "float64";
  is_signed =
      t == "char" || t == "int8" || t == "short" || t == "int16" || t == "int" || t == "int32";
  if (t == "char" || t == "int8" || t == "uchar" || t == "uint8") return 1;
  if (t == "short" || t == "int16" || t == "ushort" || t == "uint16") return 2;
  if (t == "int" || t == "int32" || t == "uint" || t == "uint32" || t == "float" || t == "float32")
    return 4;
  if (t == "double" || t == "float64") return 8;
  return 0;
}

std::uint64_t PlyCount(const std::string& text) {
  if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
    throw Refused{"an element count \"" + text + "\" is not a number"};
  return std::stoull(text);
}

PlyHeader ReadPlyHeader(const std::string& bytes) {
  PlyHeader h;
  std::size_t pos = 0, line_number = 0;
  bool first = true, formatted = false;
  std::set<std::string> names;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) break;
    ++line_number;
    std::istringstream line(bytes.substr(pos, end - pos));
    pos = end + 1;
    std::string word;
    line >> word;
    if (first) {
      if (word != "ply") throw Refused{"it does not start with \"ply\""};
      first = false;
    } else if (word == "format") {
      // CGAL takes the format from the second line and ignores others.
      if (formatted || h.elements.size() > 0 || line_number != 2)
        throw Refused{"its format line is not the second line"};
      std::string f;
      line >> f;
      if (f == "ascii")
        h.format = PlyFormat::ascii;
      else if (f == "binary_little_endian")
        h.format = PlyFormat::little_endian;
      else if (f == "binary_big_endian")
        h.format = PlyFormat::big_endian;
      else
        throw Refused{"its format \"" + f + "\" is unknown"};
      formatted = true;
    } else if (word == "element") {
      PlyElement e;
      std::string count;
      line >> e.name >> count;
      e.count = PlyCount(count);
      if (!names.insert(e.name).second)
        throw Refused{"it declares the element \"" + e.name + "\" twice"};
      h.elements.push_back(e);
    } else if (word == "property") {
      if (h.elements.empty()) throw Refused{"a property comes before any element"};
      PlyProperty p;
      std::string type;
      line >> type;
      if (type == "list") {
        std::string count_type, item_type;
        line >> count_type >> item_type;
        bool count_integral = true;
        p.count_size = PlyTypeSize(count_type, count_integral, p.count_signed);
        p.size = PlyTypeSize(item_type, p.integral, p.is_signed);
        if (p.count_size == 0 || !count_integral || p.size == 0)
          throw Refused{"a list property has the types \"" + count_type + "\" and \"" + item_type +
                        "\""};
      } else {
        p.size = PlyTypeSize(type, p.integral, p.is_signed);
        if (p.size == 0) throw Refused{"a property has the unknown type \"" + type + "\""};
      }
      line >> p.name;
      h.elements.back().properties.push_back(p);
    } else if (word == "end_header") {
      if (!formatted) throw Refused{"its header has no format line"};
      h.body = pos;
      return h;
    } else if (word != "comment" && word != "obj_info" && !word.empty()) {
      throw Refused{"its header has an unknown line \"" + word + "\""};
    }
  }
  throw Refused{"its header has no \"end_header\" line"};
}

// Reads the numbers of a PLY body one by one, in any of its formats.
class PlyBody {
public:
  PlyBody(const std::string& bytes, std::size_t start, PlyFormat format)
      : bytes_(bytes), pos_(start), format_(format) {}

  std::size_t Remaining() const { return bytes_.size() - pos_; }

  // The next number, which must be a whole one when `integral`.
  double Next(int size, bool integral, bool is_signed) {
    if (format_ == PlyFormat::ascii) return NextText(size, integral, is_signed);
    if (static_cast<std::size_t>(size) > Remaining()) throw Refused{"its data ends early"};
    unsigned char b[8];
    std::memcpy(b, bytes_.data() + pos_, static_cast<std::size_t>(size));
    pos_ += static_cast<std::size_t>(size);
    if (format_ == PlyFormat::big_endian) std::reverse(b, b + size);
    if (!integral) {
      if (size == 4) {
        float f;
        std::memcpy(&f, b, 4);
        return f;
      }
      double d;
      std::memcpy(&d, b, 8);
      return d;
    }
    std::uint64_t u = 0;
    for (int i = size - 1; i >= 0; --i)
      u = (u << 8) | b[i];
    if (is_signed && size < 8 && (u >> (8 * size - 1)))
      return static_cast<double>(static_cast<std::int64_t>(u) - (std::int64_t(1) << (8 * size)));
    return static_cast<double>(u);
  }

private:
  // A token as CGAL's reader reads it with the stream operators: whole
  // numbers as plain digits within the type's range (anything else would
  // be read differently there and put the two readings out of step).
  double NextText(int size, bool integral, bool is_signed) {
    while (pos_ < bytes_.size() && std::isspace(static_cast<unsigned char>(bytes_[pos_])))
      ++pos_;
    std::size_t end = pos_;
    while (end < bytes_.size() && !std::isspace(static_cast<unsigned char>(bytes_[end])))
      ++end;
    if (end == pos_) throw Refused{"its data ends early"};
    std::string token = bytes_.substr(pos_, std::min<std::size_t>(end - pos_, 64));
    pos_ = end;
    const char* allowed = integral ? "+-0123456789" : "+-.eE0123456789";
    char* stop = nullptr;
    double v = token.size() > 40 || token.find_first_not_of(allowed) != std::string::npos
                   ? std::nan("")
                   : std::strtod(token.c_str(), &stop);
    bool ok = stop && *stop == 0 && std::isfinite(v);
    if (ok && integral) {
      const double bits = 8.0 * size;
      const double lo = is_signed ? -std::ldexp(1.0, static_cast<int>(bits) - 1) : 0.0;
      const double hi = std::ldexp(1.0, static_cast<int>(bits) - (is_signed ? 1 : 0)) - 1;
      ok = token.find_first_of(".eE") == std::string::npos && v >= lo && v <= hi;
    }
    if (!ok) throw Refused{"its data holds \"" + token + "\" where a number belongs"};
    return v;
  }

  const std::string& bytes_;
  std::size_t pos_;
  PlyFormat format_;
};

// Walks the body as the header lays it out, before CGAL reads it: every
// count must fit in the bytes that are left and every face corner must name
// a vertex.
void CheckPlyBody(const std::string& bytes, const PlyHeader& h, std::uint64_t vertex_count) {
  PlyBody body(bytes, h.body, h.format);
  const std::size_t min_item = h.format == PlyFormat::ascii ? 2 : 1;
  for (const PlyElement& e : h.elements) {
    if (e.count == 0) continue;
    if (e.properties.empty())
      throw Refused{"the element \"" + e.name + "\" has a count but no properties"};
    if (e.count > (body.Remaining() + 1) / min_item)
      throw Refused{"it declares " + std::to_string(e.count) + " " + e.name +
                    " items, more than the file holds"};
    for (std::uint64_t i = 0; i < e.count; ++i) {
      for (const PlyProperty& p : e.properties) {
        if (p.count_size == 0) {
          body.Next(p.size, p.integral, p.is_signed);
          continue;
        }
        double n = body.Next(p.count_size, true, p.count_signed);
        if (n < 0 || n > static_cast<double>((body.Remaining() + 1) / min_item))
          throw Refused{"a list in \"" + e.name + "\" claims " + std::to_string(n) +
                        " items, more than the file holds"};
        const bool corners =
            IsFaceElement(e.name) && (p.name == "vertex_indices" || p.name == "vertex_index");
        for (std::uint64_t k = 0; k < static_cast<std::uint64_t>(n); ++k) {
          double v = body.Next(p.size, p.integral, p.is_signed);
          if (corners && (!p.integral || v < 0 || v >= static_cast<double>(vertex_count))) {
            char text[32];
            std::snprintf(text, sizeof text, "%.17g", v);
            throw Refused{"face " + std::to_string(i) + " uses vertex " + text + " of " +
                          std::to_string(vertex_count)};
          }
        }
      }
    }
  }
}

// CGAL's reader takes the properties it uses to have the types it reads
// them as, and follows a null pointer when they do not.
void CheckPlyTypes(const PlyHeader& h) {
  int vertex_elements = 0, face_elements = 0;
  for (const PlyElement& e : h.elements) {
    vertex_elements += IsVertexElement(e.name);
    face_elements += IsFaceElement(e.name);
    for (const PlyProperty& p : e.properties) {
      const bool scalar = p.count_size == 0;
      bool fits = true;
      if (IsVertexElement(e.name) && (p.name == "x" || p.name == "y" || p.name == "z"))
        fits = scalar && !p.integral;
      if (IsFaceElement(e.name) && (p.name == "vertex_indices" || p.name == "vertex_index"))
        fits = !scalar && p.integral && p.size == 4;
      if (e.name == "halfedge" && (p.name == "source" || p.name == "target"))
        fits = scalar && p.integral && !p.is_signed && p.size == 4;
      if (e.name == "halfedge" && (p.name == "u" || p.name == "v"))
        fits = scalar && !p.integral && p.size == 4;
      if (!fits)
        throw Refused{"the property \"" + p.name + "\" of \"" + e.name +
                      "\" has a type that cannot be read"};
    }
  }
  if (vertex_elements > 1 || face_elements > 1)
    throw Refused{"it declares more than one list of vertices or of faces"};
}

template <class Polygon>
void ReadPly(const std::string& bytes, std::vector<Point>& points, std::vector<Polygon>& polygons,
             std::size_t& declared) {
  const PlyHeader h = ReadPlyHeader(bytes);
  CheckPlyTypes(h);
  std::uint64_t vertices = 0, faces = 0;
  for (const PlyElement& e : h.elements) {
    if (IsVertexElement(e.name)) vertices = e.count;
    if (IsFaceElement(e.name)) faces = e.count;
  }
  CheckPlyBody(bytes, h, vertices);
  declared = static_cast<std::size_t>(faces);
  std::istringstream in(bytes);
  if (!CGAL::IO::read_PLY(in, points, polygons))
    throw Refused{"its data does not match its header"};
  if (points.size() != vertices)
    throw Refused{"it holds " + std::to_string(points.size()) + " vertices of the " +
                  std::to_string(vertices) + " it declares"};
}

// ---- STL ----

// The words in `bytes` equal to `word`.
std::size_t CountWords(const std::string& bytes, const char* word) {
  std::istringstream in(bytes);
  std::string w;
  std::size_t n = 0;
  while (in >> w)
    n += w == word;
  return n;
}

template <class Polygon>
void ReadStl(const std::string& bytes, std::vector<Point>& points, std::vector<Polygon>& polygons,
             std::size_t& declared) {
  // A binary file is 84 bytes of header and count, then 50 per triangle;
  // some begin with "solid" too, so the size decides.
  if (bytes.size() >= 84) {
    std::uint32_t count = 0;
    std::memcpy(&count, bytes.data() + 80, 4);
    if (84 + 50 * static_cast<std::uint64_t>(count) == bytes.size()) {
      declared = count;
      std::istringstream in(bytes);
      if (!CGAL::IO::internal::parse_binary_STL(in, points, polygons, false))
        throw Refused{"its triangles cannot be read"};
      return;
    }
  }
  std::size_t first = bytes.find_first_not_of(" \t\r\n");
  if (first == std::string::npos || bytes.compare(first, 5, "solid") != 0) {
    if (bytes.size() >= 84) {
      std::uint32_t count = 0;
      std::memcpy(&count, bytes.data() + 80, 4);
      throw Refused{"it is neither ASCII STL nor binary STL: " + std::to_string(count) +
                    " triangles need " + std::to_string(84 + 50 * std::uint64_t(count)) +
                    " bytes, the file has " + std::to_string(bytes.size())};
    }
    throw Refused{"it is neither ASCII STL nor binary STL"};
  }
  declared = CountWords(bytes, "facet");
  std::istringstream in(bytes);
  if (!CGAL::IO::internal::parse_ASCII_STL(in, points, polygons, false))
    throw Refused{"its facets cannot be read"};
}

// ---- OBJ ----

// Only vertex and face lines go to CGAL's reader, which refuses statements
// it does not know (lines, curves); the face lines are counted and the
// objects' names noted on the way.
template <class Polygon>
void ReadObj(const std::string& bytes, std::vector<Point>& points, std::vector<Polygon>& polygons,
             std::size_t& declared, std::vector<std::pair<std::size_t, std::string>>& parts) {
  std::string kept;
  std::vector<std::pair<std::size_t, std::string>> objects, groups;
  std::size_t faces = 0, pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = std::min(bytes.find('\n', pos), bytes.size());
    std::string line = bytes.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) continue;
    std::size_t word_end = line.find_first_of(" \t", start);
    std::string word =
        line.substr(start, word_end == std::string::npos ? std::string::npos : word_end - start);
    std::string rest = word_end == std::string::npos ? "" : line.substr(word_end + 1);
    rest.erase(0, rest.find_first_not_of(" \t"));
    rest.erase(rest.find_last_not_of(" \t") + 1);
    if (word == "v") {
      kept += "v " + rest + "\n";
    } else if (word == "f") {
      // Corners may be separated by tabs; CGAL's reader wants spaces.
      std::replace(rest.begin(), rest.end(), '\t', ' ');
      kept += "f " + rest + "\n";
      ++faces;
    } else if (word == "o" || word == "g") {
      auto& list = word == "o" ? objects : groups;
      if (!list.empty() && list.back().first == faces)
        list.back().second = rest;
      else
        list.emplace_back(faces, rest);
    }
  }
  declared = faces;
  parts = objects.empty() ? groups : objects;
  std::istringstream in(kept);
  if (!CGAL::IO::read_OBJ(in, points, polygons))
    throw Refused{"its vertices or faces cannot be read"};
}

// ---- common ----

void CheckSoup(const std::vector<Point>& points, std::size_t read, std::size_t declared) {
  if (read != declared)
    throw Refused{"it declares " + std::to_string(declared) + " faces but " + std::to_string(read) +
                  " were read"};
  if (read == 0) throw Refused{"it holds no faces"};
  for (const Point& p : points)
    if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(p.z()))
      throw Refused{"a vertex is not a finite point"};
}

template <class Polygon>
void CopyPolygons(const std::vector<Polygon>& in, std::size_t point_count, MeshSoup& soup) {
  soup.polygons.reserve(in.size());
  for (std::size_t f = 0; f < in.size(); ++f) {
    if (in[f].size() < 3)
      throw Refused{"face " + std::to_string(f) + " has fewer than three corners"};
    for (std::size_t v : in[f])
      if (v >= point_count)
        throw Refused{"face " + std::to_string(f) + " uses a vertex that does not exist"};
    soup.polygons.emplace_back(in[f].begin(), in[f].end());
  }
}

} // namespace

bool IsSoupFormat(const std::string& extension) {
  return extension == "off" || extension == "obj" || extension == "stl" || extension == "ply";
}

bool ReadMeshSoup(const std::string& bytes, const std::string& extension, MeshSoup& soup,
                  std::string& error) {
  soup = MeshSoup();
  std::vector<Point> points;
  std::vector<BoundedPolygon> polygons;
  std::size_t declared = 0;
  // A polygon's corners take at least a byte each in any format.
  BoundedPolygon::limit = std::max<std::size_t>(bytes.size(), 3);
  try {
    if (extension == "off")
      ReadOff(bytes, points, polygons, declared);
    else if (extension == "ply")
      ReadPly(bytes, points, polygons, declared);
    else if (extension == "stl")
      ReadStl(bytes, points, polygons, declared);
    else if (extension == "obj")
      ReadObj(bytes, points, polygons, declared, soup.parts);
    else
      throw Refused{"." + extension + " files are not read here"};
    CheckSoup(points, polygons.size(), declared);
    CopyPolygons(polygons, points.size(), soup);
  } catch (const Refused& r) {
    error = r.reason;
  } catch (const std::exception& e) { // CGAL's own checks and allocation failures
    error = std::string("its data is damaged (") + e.what() + ")";
  }
  if (!error.empty()) {
    soup = MeshSoup();
    return false;
  }
  soup.points.reserve(points.size());
  for (const Point& p : points)
    soup.points.push_back({p.x(), p.y(), p.z()});
  return true;
}

namespace {

// OBJ from CGAL's writer, with an "o" line before the first face of each
// named part.
std::string NameObjParts(const std::string& text, const MeshSoup& soup) {
  std::string out;
  std::size_t pos = 0, face = 0, part = 0;
  while (pos < text.size()) {
    std::size_t end = std::min(text.find('\n', pos), text.size() - 1);
    if (text.compare(pos, 2, "f ") == 0) {
      while (part < soup.parts.size() && soup.parts[part].first <= face) {
        std::string name = soup.parts[part++].second;
        std::replace(name.begin(), name.end(), '\n', ' ');
        std::replace(name.begin(), name.end(), '\r', ' ');
        out += "o " + name + "\n";
      }
      ++face;
    }
    out.append(text, pos, end + 1 - pos);
    pos = end + 1;
  }
  return out;
}

} // namespace

bool WriteMeshSoup(const MeshSoup& soup, const std::string& extension, std::string& bytes,
                   std::string& error) {
  std::vector<Point> points;
  points.reserve(soup.points.size());
  for (const auto& p : soup.points)
    points.emplace_back(p[0], p[1], p[2]);
  std::ostringstream os;
  bool ok = false;
  const auto precise = CGAL::parameters::stream_precision(17);
  if (extension == "off") {
    ok = CGAL::IO::write_OFF(os, points, soup.polygons, precise);
  } else if (extension == "obj") {
    ok = CGAL::IO::write_OBJ(os, points, soup.polygons, precise);
  } else if (extension == "ply") {
    ok = CGAL::IO::write_PLY(os, points, soup.polygons, CGAL::parameters::use_binary_mode(true));
  } else if (extension == "stl") {
    std::vector<std::array<std::size_t, 3>> triangles;
    for (const auto& poly : soup.polygons)
      for (std::size_t k = 1; k + 1 < poly.size(); ++k)
        triangles.push_back({poly[0], poly[k], poly[k + 1]});
    ok = CGAL::IO::write_STL(os, points, triangles, CGAL::parameters::use_binary_mode(true));
  } else {
    error = "." + extension + " files are not written here";
    return false;
  }
  if (!ok) {
    error = "the mesh writer failed";
    return false;
  }
  bytes = extension == "obj" && !soup.parts.empty() ? NameObjParts(os.str(), soup) : os.str();
  return true;
}

} // namespace tl
