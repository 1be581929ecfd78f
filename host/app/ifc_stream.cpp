// Reading the IFC worker's element stream. A cursor walks each record's
// payload and refuses anything that reaches past its end, so no count can
// make the reader allocate more than the stream itself holds.

#include "ifc_stream.h"

#include <cstring>

namespace kyrel::app {
namespace {

constexpr std::string_view kMagic{"KYIFC\0\1\0", 8};
// Names, classes and reasons are short; a longer string is a broken stream.
constexpr std::uint32_t kMaxString = 1u << 16;

struct StreamError {
  std::string message;
};

bool ValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    std::uint32_t code = 0;
    if (c == 0) return false;
    if (c < 0x80) {
      ++i;
      continue;
    }
    if ((c & 0xE0) == 0xC0) {
      extra = 1;
      code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      code = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      code = (code << 6) | (d & 0x3F);
    }
    static const std::uint32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
    if (code < kLeast[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

class Cursor {
public:
  Cursor(std::string_view bytes, const char* what) : bytes_(bytes), what_(what) {}

  std::size_t Left() const { return bytes_.size() - at_; }
  bool AtEnd() const { return at_ == bytes_.size(); }

  const char* Take(std::size_t n) {
    if (n > Left()) throw StreamError{std::string(what_) + " ends too early"};
    const char* p = bytes_.data() + at_;
    at_ += n;
    return p;
  }
  std::uint8_t U8() { return static_cast<std::uint8_t>(*Take(1)); }
  std::uint32_t U32() {
    const auto* p = reinterpret_cast<const unsigned char*>(Take(4));
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  }
  // A count of items of `item_size` bytes each, at most what is left.
  std::uint32_t Count(std::size_t item_size, const char* of) {
    const std::uint32_t n = U32();
    if (static_cast<std::uint64_t>(n) * item_size > Left())
      throw StreamError{std::string(what_) + " claims more " + of + " than it holds"};
    return n;
  }
  std::string String(const char* field) {
    const std::uint32_t n = U32();
    if (n > kMaxString || n > Left())
      throw StreamError{std::string(what_) + ": its " + field + " is too long"};
    std::string s(Take(n), n);
    if (!ValidUtf8(s)) throw StreamError{std::string(what_) + ": its " + field + " is not text"};
    return s;
  }
  float F32() {
    float v;
    std::memcpy(&v, Take(4), 4);
    return v;
  }
  double F64() {
    double v;
    std::memcpy(&v, Take(8), 8);
    return v;
  }
  void Finish() {
    if (!AtEnd()) throw StreamError{std::string(what_) + " holds more than it should"};
  }

private:
  std::string_view bytes_;
  std::size_t at_ = 0;
  const char* what_;
};

// The smallest piece: colour, transform and two empty counts.
constexpr std::size_t kMinPiece = 4 * 4 + 16 * 8 + 4 + 4;

IfcPiece ReadPiece(Cursor& c) {
  IfcPiece piece;
  // Numbers are taken as they come: one element's bad numbers fail that
  // element when its mesh is built, not the whole file.
  for (float& v : piece.colour)
    v = c.F32();
  for (double& v : piece.xform)
    v = c.F64();
  const std::uint32_t vertices = c.Count(12, "vertices");
  piece.positions.resize(static_cast<std::size_t>(vertices) * 3);
  for (float& v : piece.positions) v = c.F32();
  const std::uint32_t triangles = c.Count(12, "triangles");
  piece.triangles.resize(static_cast<std::size_t>(triangles) * 3);
  for (std::uint32_t& i : piece.triangles) {
    i = c.U32();
    if (i >= vertices) throw StreamError{"an element's triangle names a vertex it does not have"};
  }
  return piece;
}

IfcElementRecord ReadElement(std::string_view payload) {
  Cursor c(payload, "an element record");
  IfcElementRecord e;
  e.global_id = c.String("GlobalId");
  e.ifc_class = c.String("class");
  e.name = c.String("name");
  e.storey = c.String("storey");
  const std::uint8_t flags = c.U8();
  if (flags > 1) throw StreamError{"an element record has unknown flags"};
  e.space = flags == 1;
  const std::uint32_t pieces = c.Count(kMinPiece, "pieces");
  e.pieces.reserve(pieces);
  for (std::uint32_t i = 0; i < pieces; ++i)
    e.pieces.push_back(ReadPiece(c));
  c.Finish();
  return e;
}

} // namespace

bool ParseIfcStream(std::string_view bytes, IfcStream& out, std::string& error) {
  try {
    if (bytes.size() < kMagic.size() || bytes.substr(0, kMagic.size()) != kMagic)
      throw StreamError{"the IFC reader wrote no element stream"};
    Cursor c(bytes.substr(kMagic.size()), "the element stream");
    bool header = false, ended = false;
    while (!c.AtEnd()) {
      if (ended) throw StreamError{"the element stream goes on after its end"};
      const char tag = static_cast<char>(c.U8());
      const std::uint32_t length = c.Count(1, "bytes");
      const std::string_view payload(c.Take(length), length);
      if (tag == 'X') {
        Cursor x(payload, "the refusal");
        error = x.String("reason");
        if (error.empty()) error = "the IFC reader refused it without saying why";
        return false;
      }
      if (!header && tag != 'H') throw StreamError{"the element stream has no header"};
      switch (tag) {
      case 'H': {
        if (header) throw StreamError{"the element stream has two headers"};
        Cursor h(payload, "the header");
        out.schema = h.String("schema");
        h.Finish();
        header = true;
        break;
      }
      case 'E':
        out.elements.push_back(ReadElement(payload));
        break;
      case 'F': {
        Cursor f(payload, "a failure record");
        IfcFailedElement failed;
        failed.global_id = f.String("GlobalId");
        failed.ifc_class = f.String("class");
        failed.reason = f.String("reason");
        f.Finish();
        out.failed.push_back(std::move(failed));
        break;
      }
      case 'Z': {
        Cursor z(payload, "the end record");
        const std::uint32_t elements = z.U32(), failures = z.U32();
        z.Finish();
        if (elements != out.elements.size() || failures != out.failed.size())
          throw StreamError{"the element stream lost records (its end counts " +
                            std::to_string(elements) + " elements and " +
                            std::to_string(failures) + " failures)"};
        ended = true;
        break;
      }
      default:
        throw StreamError{"the element stream has a record of unknown kind"};
      }
    }
    if (!ended) throw StreamError{"the element stream stops before its end"};
    return true;
  } catch (const StreamError& e) {
    error = e.message;
  } catch (const std::bad_alloc&) {
    error = "the element stream is too large";
  }
  return false;
}

} // namespace kyrel::app
