#pragma once
// A URL split into its parts: scheme://host:port/path?query.
#include <windows.h>

#include <memory>

// One block: these pointers, then the texts they point to. Every part but
// the port text may be absent (NULL); the port text is "80" when the URL
// names none. Free the block with FreeUrlParts.
struct URL_PARTS {
  const char* pszScheme;
  const char* pszHost;
  const char* pszPort;
  const char* pszPath;
  const char* pszQuery;
};

// NULL for a NULL or empty text (or when memory runs out). Separators are
// found on character boundaries, so a trail byte is never taken for one.
URL_PARTS* ParseUrl(const char* pszUrl);
void FreeUrlParts(URL_PARTS* pParts);

struct UrlPartsDeleter {
  void operator()(URL_PARTS* p) const { FreeUrlParts(p); }
};
using UrlPartsPtr = std::unique_ptr<URL_PARTS, UrlPartsDeleter>;
