// A module that only carries a version record, for the record reader.
extern "C" __attribute__((visibility("default"))) int VersionSampleAnchor() {
  return 1;
}
