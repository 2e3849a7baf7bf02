// What happened on disk that the user is told of once: conflict copies written, sync-tool copies
// merged or left alone. Plain data; the memo window picks Japanese or English texts for it.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace pinote {

struct MergedCopy {
  std::string path;       // the sync tool's copy where it was found
  std::string tool;       // "Dropbox", "OneDrive", "Syncthing", "Nextcloud", "ownCloud"
  int merged = 0;         // people (Pinote.dat) or settings (Pinote.ini) it added or changed
  std::string movedTo;    // where it was moved after the save; "" when the move failed
  std::string moveError;  // why it could not be moved (it is merged and moved again next time)
};

enum class CopyLeftReason {
  kUnreadable,   // could not be read (locked, still being synced): tried again at every look
  kNotMemoFile,  // no record could be read from it though it is not empty: left for good
};

struct CopyLeftAlone {
  std::string path;
  std::string tool;
  CopyLeftReason reason = CopyLeftReason::kUnreadable;
  std::string message;  // the system's message for an unreadable copy
};

struct DiskNotices;

// Which copies left alone were told of: each is told once for each reason, though it is tried
// again at every look.
class LeftAloneTold {
 public:
  void Tell(DiskNotices& notices, CopyLeftAlone copy);

 private:
  std::set<std::pair<std::string, CopyLeftReason>> told_;
};

struct DiskNotices {
  // Records were taken from Pinote.dat as another writer left it: show the address again.
  bool reloaded = false;
  // Paths of the conflict copies written: the other writer's version of people both changed.
  std::vector<std::string> conflictCopies;
  std::vector<MergedCopy> mergedCopies;
  std::vector<CopyLeftAlone> copiesLeftAlone;

  [[nodiscard]] bool empty() const noexcept {
    return !reloaded && conflictCopies.empty() && mergedCopies.empty() && copiesLeftAlone.empty();
  }
  void Append(DiskNotices&& other) {
    reloaded = reloaded || other.reloaded;
    for (auto& c : other.conflictCopies) conflictCopies.push_back(std::move(c));
    for (auto& c : other.mergedCopies) mergedCopies.push_back(std::move(c));
    for (auto& c : other.copiesLeftAlone) copiesLeftAlone.push_back(std::move(c));
  }
};

inline void LeftAloneTold::Tell(DiskNotices& notices, CopyLeftAlone copy) {
  if (told_.insert({copy.path, copy.reason}).second) {
    notices.copiesLeftAlone.push_back(std::move(copy));
  }
}

}  // namespace pinote
