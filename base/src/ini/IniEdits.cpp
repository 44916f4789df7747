#include "ini/IniEdits.h"

#include "damaged/SetAside.h"
#include "ini/IniFile.h"
#include "ini/IniText.h"
#include "ini/IniWriteGuard.h"

namespace base::ini {
namespace {

bool HasLineBreak(std::wstring_view text) { return text.find_first_of(L"\r\n") != std::wstring_view::npos; }

void AddNote(std::wstring& notes, const std::wstring& note) {
  if (note.empty()) return;
  if (!notes.empty()) notes += L"; ";
  notes += note;
}

// Whether the document changed.
bool Apply(IniDocument& document, const IniEdit& edit) {
  if (!edit.key) return document.RemoveSection(edit.section);
  if (!edit.value) return document.RemoveKey(edit.section, *edit.key);
  return document.Set(edit.section, *edit.key, *edit.value);
}

}  // namespace

std::mutex& EngineMutex() {
  static std::mutex m;
  return m;
}

std::wstring RefusalReason(const IniEdit& edit) {
  std::wstring_view section = TrimBlanks(edit.section);
  if (section.empty() || HasLineBreak(section) || section.find(L']') != std::wstring_view::npos) {
    return L"the section name is empty or holds ']' or a line break";
  }
  if (edit.key) {
    std::wstring_view name = TrimBlanks(*edit.key);
    if (name.empty() || HasLineBreak(name) || name.find(L'=') != std::wstring_view::npos ||
        name.front() == L'[' || name.front() == L';') {
      return L"the key is empty, holds '=' or a line break, or starts with '[' or ';'";
    }
  }
  if (edit.value && HasLineBreak(*edit.value)) return L"the value holds a line break";
  return {};
}

bool ApplyEdits(const std::wstring& path, const std::vector<IniEdit>& edits, std::wstring& problem) {
  problem.clear();
  // Through a symbolic link the file it names is written, and the link
  // stays; the folder lock keeps another process from writing the file
  // between our read and our replace.
  const std::wstring file = FollowLinks(path);
  IniWriteGuard guard(file);
  IniFileContent content = LoadIniFile(file);
  std::wstring notes = guard.problem();
  if (content.status == IniFileStatus::kUnreadable) {
    problem = notes;
    AddNote(problem, content.problem);
    return false;
  }
  bool changed = false;
  if (content.status == IniFileStatus::kDamaged) {
    bool onlyDeletions = true;
    for (const IniEdit& edit : edits) onlyDeletions = onlyDeletions && !(edit.key && edit.value);
    if (onlyDeletions) {
      problem = notes;
      return true;  // nothing of ours to delete in it
    }
    std::wstring asidePath;
    std::wstring asideProblem;
    if (!damaged::SetAsideDamagedFile(file, asidePath, asideProblem)) {
      problem = notes;
      AddNote(problem, content.problem + L"; " + asideProblem);
      return false;
    }
    AddNote(notes, content.problem + L"; it was kept as " + asidePath + L" and started anew");
    content.document = IniDocument();
    changed = true;
  }
  for (const IniEdit& edit : edits) changed = Apply(content.document, edit) || changed;
  problem = notes;
  // An unchanged text is not written again: no replace, no new file.
  if (!changed) return true;
  std::wstring saveProblem;
  if (!SaveIniFile(file, content.document, saveProblem)) {
    AddNote(problem, saveProblem);
    return false;
  }
  return true;
}

}  // namespace base::ini
