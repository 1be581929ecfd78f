#pragma once
// Every file of a zip archive (a BCF report) by name, for the report tests.
#include <zip.h>

#include <map>
#include <string>

namespace kyrel_test {

inline std::map<std::string, std::string> ReadZip(const std::string& path) {
  std::map<std::string, std::string> files;
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (archive == nullptr) return files;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t stat;
    if (zip_stat_index(archive, i, 0, &stat) != 0) continue;
    std::string data(stat.size, '\0');
    zip_file_t* file = zip_fopen_index(archive, i, 0);
    if (file == nullptr) continue;
    const zip_int64_t read = zip_fread(file, data.data(), data.size());
    zip_fclose(file);
    if (read == static_cast<zip_int64_t>(stat.size)) files[stat.name] = data;
  }
  zip_close(archive);
  return files;
}

} // namespace kyrel_test
