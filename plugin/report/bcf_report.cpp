// BCF 2.1 writer: XML through pugixml, the zip through libzip.

#include "bcf_report.h"

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <vector>
#include <sstream>

#include <pugixml.hpp>

namespace {

constexpr const char* kAuthor = "Kyrel";

std::string Text(const pugi::xml_document& doc) {
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

pugi::xml_document NewDocument() {
  pugi::xml_document doc;
  pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  return doc;
}

void AddText(pugi::xml_node parent, const char* name, const std::string& text) {
  parent.append_child(name).text().set(text.c_str());
}

void AddXyz(pugi::xml_node parent, const char* name, double x, double y, double z) {
  pugi::xml_node node = parent.append_child(name);
  node.append_child("X").text().set(x);
  node.append_child("Y").text().set(y);
  node.append_child("Z").text().set(z);
}

std::string GuidText(const ON_UUID& id) {
  ON_wString text = ON_UuidToString(id);
  text.MakeLower();
  return text.ToUtf8();
}

// A GUID made from a purpose and two ids by two FNV-1a passes, stamped as
// a name-based GUID so it cannot pass for a random one.
ON_UUID DerivedGuid(const char* purpose, const ON_UUID& a, const ON_UUID& b) {
  unsigned char bytes[16];
  for (int half = 0; half < 2; ++half) {
    unsigned long long h = 1469598103934665603ull ^ static_cast<unsigned long long>(half + 1);
    auto mix = [&](const unsigned char* p, size_t n) {
      for (size_t i = 0; i < n; ++i) {
        h ^= p[i];
        h *= 1099511628211ull;
      }
    };
    mix(reinterpret_cast<const unsigned char*>(purpose), std::char_traits<char>::length(purpose));
    mix(reinterpret_cast<const unsigned char*>(&a), sizeof a);
    mix(reinterpret_cast<const unsigned char*>(&b), sizeof b);
    for (int k = 0; k < 8; ++k)
      bytes[half * 8 + k] = static_cast<unsigned char>(h >> (8 * k));
  }
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x50); // version 5
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
  char text[37];
  std::snprintf(text, sizeof text,
                "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", bytes[0],
                bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  return ON_UuidFromString(text);
}

std::string Figure(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

// An object in a topic's title: its label, with its IFC class when it has
// one ("Duct 1 (IfcDuctSegment)").
std::string TitleOf(const ReportObject& o) {
  if (o.ifc_class.empty() || o.Label() == o.ifc_class) return o.Label();
  return o.Label() + " (" + o.ifc_class + ")";
}

// A GlobalId as IFC writes them: 22 characters of its base-64 alphabet.
bool IsIfcGuidText(const std::string& text) {
  static const std::string kDigits =
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$";
  return text.size() == 22 && text.find_first_not_of(kDigits) == std::string::npos &&
         text[0] >= '0' && text[0] <= '3';
}

std::string Markup(const ClashReport& report, const ReportClash& clash,
                   const std::string& viewpoint_guid) {
  pugi::xml_document doc = NewDocument();
  pugi::xml_node markup = doc.append_child("Markup");
  // The files a tool opens to show the topic: the building models the two
  // components came from, else the model the report was made of.
  std::vector<std::string> files;
  for (const ReportObject* o : {&clash.a, &clash.b})
    if (!o->source_file.empty() &&
        std::find(files.begin(), files.end(), o->source_file) == files.end())
      files.push_back(o->source_file);
  if (files.empty() && !report.model_file.empty()) files.push_back(report.model_file);
  if (!files.empty()) {
    pugi::xml_node header = markup.append_child("Header");
    for (const std::string& name : files) {
      pugi::xml_node file = header.append_child("File");
      AddText(file, "Filename", name);
      AddText(file, "Date", report.date);
    }
  }
  pugi::xml_node topic = markup.append_child("Topic");
  topic.append_attribute("Guid") = ClashTopicGuid(clash).c_str();
  topic.append_attribute("TopicType") = "Clash";
  topic.append_attribute("TopicStatus") = "Open";
  AddText(topic, "Title",
          "Clash " + std::to_string(clash.number) + ": " + TitleOf(clash.a) + " / " +
              TitleOf(clash.b));
  topic.append_child("Index").text().set(clash.number);
  AddText(topic, "Labels", ClashKindName(clash.kind));
  AddText(topic, "CreationDate", report.date);
  AddText(topic, "CreationAuthor", kAuthor);
  std::string description = std::string(ClashKindName(clash.kind)) + "; ";
  description +=
      clash.region_closed ? "volume " + Figure(clash.volume) : "area " + Figure(clash.area);
  description += "; penetration depth " + Figure(clash.penetration_depth);
  description += "; severity rank " + std::to_string(clash.severity_rank);
  AddText(topic, "Description", description);
  pugi::xml_node viewpoints = markup.append_child("Viewpoints");
  viewpoints.append_attribute("Guid") = viewpoint_guid.c_str();
  AddText(viewpoints, "Viewpoint", "viewpoint.bcfv");
  if (!clash.snapshot.empty()) AddText(viewpoints, "Snapshot", "snapshot.png");
  return Text(doc);
}

void AddComponent(pugi::xml_node selection, const ReportObject& object) {
  pugi::xml_node component = selection.append_child("Component");
  // An element of a building model is named by its GlobalId, which the
  // team's tools resolve; other objects by their id in IFC's form. A
  // GlobalId that is not one is left out rather than sent as a wrong name.
  if (object.global_id.empty())
    component.append_attribute("IfcGuid") = IfcGuid(object.id).c_str();
  else if (IsIfcGuidText(object.global_id))
    component.append_attribute("IfcGuid") = object.global_id.c_str();
  AddText(component, "OriginatingSystem", kAuthor);
  AddText(component, "AuthoringToolId", GuidText(object.id));
}

std::string Viewpoint(const ReportClash& clash, const std::string& viewpoint_guid) {
  pugi::xml_document doc = NewDocument();
  pugi::xml_node info = doc.append_child("VisualizationInfo");
  info.append_attribute("Guid") = viewpoint_guid.c_str();
  pugi::xml_node components = info.append_child("Components");
  pugi::xml_node selection = components.append_child("Selection");
  AddComponent(selection, clash.a);
  AddComponent(selection, clash.b);
  components.append_child("Visibility").append_attribute("DefaultVisibility") = true;
  pugi::xml_node camera = info.append_child("PerspectiveCamera");
  const ON_3dPoint& at = clash.camera_location;
  const ON_3dVector& dir = clash.camera_direction;
  const ON_3dVector& up = clash.camera_up;
  AddXyz(camera, "CameraViewPoint", at.x, at.y, at.z);
  AddXyz(camera, "CameraDirection", dir.x, dir.y, dir.z);
  AddXyz(camera, "CameraUpVector", up.x, up.y, up.z);
  camera.append_child("FieldOfView").text().set(clash.field_of_view);
  return Text(doc);
}

std::string VersionFile() {
  pugi::xml_document doc = NewDocument();
  pugi::xml_node version = doc.append_child("Version");
  version.append_attribute("VersionId") = "2.1";
  AddText(version, "DetailedVersion", "2.1");
  return Text(doc);
}

// An open archive that is discarded unless it was closed successfully.
class ZipWriter {
public:
  explicit ZipWriter(const std::string& path) {
    int code = 0;
    m_zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (m_zip == nullptr) {
      zip_error_t error;
      zip_error_init_with_code(&error, code);
      m_error = zip_error_strerror(&error);
      zip_error_fini(&error);
    }
  }
  ~ZipWriter() {
    if (m_zip != nullptr) zip_discard(m_zip);
  }
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  bool Add(const std::string& name, std::string data) {
    if (m_zip == nullptr) return false;
    // libzip reads the buffers only when the archive is closed.
    const std::string& kept = m_buffers.emplace_back(std::move(data));
    zip_source_t* source = zip_source_buffer(m_zip, kept.data(), kept.size(), 0);
    if (source == nullptr || zip_file_add(m_zip, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
      if (source != nullptr) zip_source_free(source);
      m_error = zip_strerror(m_zip);
      return false;
    }
    return true;
  }
  bool AddFolder(const std::string& name) {
    if (m_zip == nullptr) return false;
    if (zip_dir_add(m_zip, name.c_str(), ZIP_FL_ENC_UTF_8) < 0) {
      m_error = zip_strerror(m_zip);
      return false;
    }
    return true;
  }
  bool Close() {
    if (m_zip == nullptr) return false;
    if (zip_close(m_zip) < 0) {
      m_error = zip_strerror(m_zip);
      return false;
    }
    m_zip = nullptr;
    return true;
  }
  const std::string& Error() const { return m_error; }

private:
  zip_t* m_zip = nullptr;
  std::deque<std::string> m_buffers;
  std::string m_error;
};

} // namespace

std::string IfcGuid(const ON_UUID& id) {
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$";
  // The GUID's 128 bits in the order of its text form, as one number
  // written in base 64: 2 digits for the first byte, 4 for each further 3.
  unsigned char bytes[16];
  for (int k = 0; k < 4; ++k)
    bytes[k] = static_cast<unsigned char>(id.Data1 >> (24 - 8 * k));
  bytes[4] = static_cast<unsigned char>(id.Data2 >> 8);
  bytes[5] = static_cast<unsigned char>(id.Data2);
  bytes[6] = static_cast<unsigned char>(id.Data3 >> 8);
  bytes[7] = static_cast<unsigned char>(id.Data3);
  for (int k = 0; k < 8; ++k)
    bytes[8 + k] = id.Data4[k];
  std::string out;
  out += kDigits[bytes[0] >> 6];
  out += kDigits[bytes[0] & 63];
  for (int group = 0; group < 5; ++group) {
    const unsigned long n = (static_cast<unsigned long>(bytes[1 + 3 * group]) << 16) |
                            (static_cast<unsigned long>(bytes[2 + 3 * group]) << 8) |
                            bytes[3 + 3 * group];
    for (int shift = 18; shift >= 0; shift -= 6)
      out += kDigits[(n >> shift) & 63];
  }
  return out;
}

std::string ClashTopicGuid(const ReportClash& clash) {
  return GuidText(DerivedGuid("clash topic", clash.a.id, clash.b.id));
}

bool WriteBcfReport(const ClashReport& report, const std::string& path, std::string& error) {
  ZipWriter zip(path);
  bool written = zip.Add("bcf.version", VersionFile());
  for (const ReportClash& clash : report.clashes) {
    if (!written) break;
    const std::string folder = ClashTopicGuid(clash) + "/";
    const std::string viewpoint_guid =
        GuidText(DerivedGuid("clash viewpoint", clash.a.id, clash.b.id));
    written = zip.AddFolder(folder) &&
              zip.Add(folder + "markup.bcf", Markup(report, clash, viewpoint_guid)) &&
              zip.Add(folder + "viewpoint.bcfv", Viewpoint(clash, viewpoint_guid));
    if (written && !clash.snapshot.empty())
      written = zip.Add(folder + "snapshot.png",
                        std::string(clash.snapshot.begin(), clash.snapshot.end()));
  }
  if (written && zip.Close()) return true;
  error = zip.Error().empty() ? "the archive could not be written" : zip.Error();
  return false;
}
