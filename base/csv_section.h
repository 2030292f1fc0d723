#pragma once
#include <windows.h>

#include "base/csv_editer.h"

// A CSV document in named sections: a header line "[ name ]" starts a
// section, which runs up to the next line beginning with "[ ". Inside it,
// key rows (key, then values); empty lines and "# " comments are skipped by
// the lookups. Lines before the first header belong to no section.
class CCSVSection : public CCSVEditer {
public:
  CCSVSection();
  ~CCSVSection() override;

  // The names of all headers (the first argument is not used).
  virtual int GetSectionNames(const char* pszUnused, Array<CCharString>* pNames);
  // Removes the section; the index distance from its header to the last line
  // removed, or -1 when it is missing.
  virtual int DeleteSection(const char* pszSection);
  // The keys of a section (the second argument is not used), or -1.
  virtual int GetKeys(const char* pszSection, const char* pszUnused, Array<CCharString>* pKeys);
  virtual BOOL DeleteKey(const char* pszSection, const char* pszKey);
  virtual BOOL SetValues(const char* pszSection, const char* pszKey, const Array<CCharString>& aValues);
  // ppTexts holds nCount + 1 texts: the key row's key, then the values.
  // Replaces the key row, or inserts it at the end of the section, or adds
  // the section (and the title line to an empty document) at the end.
  virtual BOOL SetValue(const char* pszSection, const char* pszKey, int nCount, const char* const* ppTexts);
  // nCount const char* values follow the count.
  virtual BOOL SetValueV(const char* pszSection, const char* pszKey, int nCount, ...);
  // The number of values of the key row, or -1.
  virtual int GetValues(const char* pszSection, const char* pszKey, Array<CCharString>* pValues);
  // Value nIndex (0 = the first after the key), or the empty text.
  virtual CCharString& GetString(CCharString& sOut, const char* pszSection, const char* pszKey, int nIndex);
  // The value read as a decimal number; nDefault when it is empty or missing.
  virtual int GetInt(const char* pszSection, const char* pszKey, int nIndex, int nDefault);
  // Positions the cursor on the key row (or, without a key, checks the
  // section). A missing section puts the cursor at the end.
  virtual BOOL FindEntry(const char* pszSection, const char* pszKey);
  // The line index of the section's header, or -1.
  virtual int FindSection(const char* pszSection);
  // The key row's line index after header nHeader, or -1; *pCursor gets the
  // row, or on failure the place where a new key row belongs.
  virtual int FindKey(const char* pszSection, const char* pszKey, int nHeader, int* pCursor);

  CCharString sDocTitle;
};

// atol: leading white space, an optional sign, then digits; no digits give 0.
// Saturates at the 32-bit range.
int DecimalValue(const char* pszText);
