// The long fuzzing campaign over the text files of the client: CSV rows and
// documents, line reading, and the server-list files, with random and mutated
// inputs and save -> load round trips. Prints what it ran and every finding
// (with the seed and round that reproduce it); exit code 1 when something
// was found.
//   csv_fuzz [--seed N] [--seconds S] [--rounds N]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/csv_editer.h"
#include "client/client_settings.h"
#include "client/entry_text.h"
#include "support/csv_round_trip.h"
#include "support/text_streams.h"

using namespace csv_round_trip;

namespace {

struct Campaign {
  const char* name;
  int checksPerRound;
  long checked = 0;
  long found = 0;
};

const int kRowsPerRound = 20;

std::string TempPath(const char* prefix) {
  char folder[MAX_PATH], path[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  GetTempFileNameA(folder, prefix, 0, path);
  return path;
}

// A text whose lines sit around the lengths where the line buffer grows
// (256 x 2^k) and the limit (4096), with and without a final line end.
std::string BoundaryLines(std::mt19937& r) {
  static const int kLengths[] = {0, 1, 255, 256, 257, 511, 512, 513, 1023, 1024, 2047, 2048, 2049, 4095, 4096};
  std::string text;
  for (int n = 1 + r() % 4; n > 0; --n) {
    int length = kLengths[r() % 15] + static_cast<int>(r() % 3) - 1;
    for (int i = 0; i < length; ++i) {
      if (r() % 20 == 0) text += '\r';  // not stored, so not counted
      text += static_cast<char>('a' + r() % 26);
    }
    if (n > 1 || r() % 2) text += r() % 2 ? "\r\n" : "\n";
  }
  return text;
}

// The lines a reader must give for text: split at LF, CRs dropped, a line
// of 4096 stored bytes or more ends the reading; a last piece without LF is
// a line when it stores anything.
std::vector<std::string> ModelLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  size_t stored = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    bool end = i == text.size();
    if (end || text[i] == '\n') {
      if (stored >= 4096) break;
      if (!end || stored > 0) lines.push_back(line.substr(0, line.find('\0')));
      line.clear();
      stored = 0;
    } else if (text[i] != '\r') {
      line += text[i];
      ++stored;
    }
  }
  return lines;
}

std::string CheckLines(const std::string& text) {
  CTextReader reader(text);
  std::vector<std::string> got;
  while (got.size() < 100 && reader.ReadLine()) got.push_back(reader.GetLine());
  std::vector<std::string> want = ModelLines(text);
  if (got == want) return "";
  return "text of " + std::to_string(text.size()) + " bytes gives " + std::to_string(got.size()) +
         " lines, expected " + std::to_string(want.size());
}

// A saved document's bytes, changed at a few random places.
std::string Mutated(std::mt19937& r, std::string bytes) {
  for (int n = 1 + r() % 6; n > 0; --n) {
    size_t at = bytes.empty() ? 0 : r() % (bytes.size() + 1);
    switch (r() % 7) {
      case 0: if (at < bytes.size()) bytes[at] = static_cast<char>(r()); break;
      case 1: bytes.insert(at, 1, "\n\r\",# \x95"[r() % 7]); break;
      case 2: if (at < bytes.size()) bytes.erase(at, 1 + r() % 8); break;
      case 3: bytes.insert(at, std::string(4000 + r() % 200, 'L')); break;
      case 4: bytes.insert(at, BoundaryLines(r)); break;
      case 5: bytes.resize(at); break;
      default: bytes.insert(at, bytes.substr(at / 2, r() % 64)); break;
    }
  }
  return bytes;
}

std::string SavedDocument(std::mt19937& r, const char* path) {
  CCSVEditer doc;
  for (int n = 1 + r() % 30; n > 0; --n) {
    Row row = RandomRow(r);
    doc.nRow = doc.GetLineCount();
    doc.SetRow(static_cast<int>(row.size()), Texts(row).data());
  }
  doc.Save(path);
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  std::string bytes(1 << 20, '\0');
  DWORD n = 0;
  ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(h);
  bytes.resize(n);
  return bytes;
}

// Entries as the dialogs would take them, written and read back.
std::string CheckList(std::mt19937& r, const std::string& folder, const char* path) {
  CClientConfig config(folder.c_str(), folder.c_str(), nullptr);
  std::vector<std::pair<std::string, std::string>> entries;
  for (int n = r() % 12; n > 0; --n) {
    std::string name(CleanEntryText(RandomField(r, 30).c_str()));
    std::string host(CleanEntryText(RandomField(r, 30).c_str()));
    if (name.empty() || host.empty()) continue;
    entries.emplace_back(name, host);
    config.GetServerList()->AddItem(new NTP_SERVER_INFO("", name.c_str(), host.c_str()));
  }
  if (!config.WriteServerList(path)) return "list not written";
  CServerList back;
  if (!ReadServerListFile(path, "ntp", &back)) return "list not read";
  bool same = back.GetCount() == static_cast<int>(entries.size());
  for (int i = 0; same && i < back.GetCount(); ++i)
    same = entries[i].first == static_cast<const char*>(back.GetAt(i)->sName) &&
           entries[i].second == static_cast<const char*>(back.GetAt(i)->sHost);
  return same ? "" : "list of " + std::to_string(entries.size()) + " entries reads back as " +
                         std::to_string(back.GetCount());
}

}  // namespace

int main(int argc, char** argv) {
  unsigned seed = 1;
  double seconds = 60;
  long maxRounds = -1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!strcmp(argv[i], "--seed")) seed = static_cast<unsigned>(strtoul(argv[i + 1], nullptr, 10));
    else if (!strcmp(argv[i], "--seconds")) seconds = atof(argv[i + 1]);
    else if (!strcmp(argv[i], "--rounds")) maxRounds = atol(argv[i + 1]);
  }
  std::string file = TempPath("fz1"), copy = TempPath("fz2"), list = TempPath("fz3");
  std::string folder = file.substr(0, file.rfind('\\') + 1);
  Campaign campaigns[] = {
      {"rows", kRowsPerRound}, {"documents", 1}, {"mutated files", 1}, {"lines", 1}, {"server lists", 1}};
  long refused = 0, withRest = 0, printed = 0, total = 0;
  DWORD start = GetTickCount();
  long round = 0;
  for (; maxRounds < 0 || round < maxRounds; ++round) {
    if (round % 16 == 0 && GetTickCount() - start >= seconds * 1000) break;
    std::mt19937 r(seed * 1000003u + static_cast<unsigned>(round));
    std::string found[5];
    for (int i = 0; i < kRowsPerRound; ++i) {
      Row row = RandomRow(r);
      for (int k = r() % 3; k > 0; --k) row.push_back(RandomField(r, 60));
      if (found[0].empty()) found[0] = CheckRow(row);
    }
    std::vector<Row> rows(1 + r() % 40);
    for (Row& row : rows) row = RandomRow(r);
    found[1] = CheckDocument(rows, file.c_str());
    std::string bytes = Mutated(r, SavedDocument(r, file.c_str()));
    found[2] = CheckReload(bytes, file.c_str(), copy.c_str());
    {
      CCSVEditer doc;
      doc.Load(file.c_str());
      withRest += !doc.restUnread.IsEmpty();
      refused += doc.restUnread.IsLost();
    }
    found[3] = CheckLines(BoundaryLines(r));
    found[4] = CheckList(r, folder, list.c_str());
    for (int c = 0; c < 5; ++c) {
      campaigns[c].checked += campaigns[c].checksPerRound;
      if (found[c].empty()) continue;
      ++campaigns[c].found;
      ++total;
      if (printed++ < 20) printf("FOUND seed %u round %ld, %s: %s\n", seed, round, campaigns[c].name, found[c].c_str());
    }
  }
  printf("csv_fuzz: seed %u, %ld rounds in %.1f s\n", seed, round, (GetTickCount() - start) / 1000.0);
  for (const Campaign& c : campaigns) printf("  %-14s %9ld checked, %ld found\n", c.name, c.checked, c.found);
  printf("  mutated files with an unread rest: %ld (their save refused: %ld)\n", withRest, refused);
  printf("findings: %ld\n", total);
  DeleteFileA(file.c_str());
  DeleteFileA(copy.c_str());
  DeleteFileA(list.c_str());
  return total ? 1 : 0;
}
