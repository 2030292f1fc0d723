#pragma once
// A unique, not yet existing file name in the temporary folder, deleted at
// the end of the test.
#include "client/temp_folder.h"

class TempFile {
 public:
  const char* Path() const { return sPath.c_str(); }
  void Put(const std::string& text) const { folder.Put("file", text); }
  std::string Get() const { return folder.Get("file") == "<missing>" ? "" : folder.Get("file"); }

 private:
  CTempFolder folder;
  std::string sPath = folder.Path() + "file";
};
