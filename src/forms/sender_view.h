// Which memo the memo window shows for a sender: their own, or the memo for everyone at their
// domain (store/domain_memo.h) when they have none, with a hint when both exist.
#pragma once

#include <string>
#include <string_view>

#include "store/memo_store.h"

namespace pinote {

enum class SenderViewRequest {
  kAuto,    // an opened mail: the domain memo stands in when the sender has nothing of their own
  kPerson,  // the sender's own memo (empty when they have none)
  kDomain,  // the memo for everyone at the sender's domain (made at the first keystroke)
};

struct SenderView {
  std::string address;        // the address the window shows, and whose record typing edits
  bool domainShown = false;   // `address` is the domain's ("*@example.co.jp")
  // The domain address the window's command opens: the domain record that covers the sender,
  // else "*@" and the sender's domain; "" when the sender has no domain (no command).
  std::string domainAddress;
  bool hint = false;          // the sender's own memo is shown and the domain has a memo too
};

// The view of `senderAddress`. The domain memo stands in (kAuto) when the covering domain record
// has memo text and the sender's record has neither memo nor name-list text (or there is none).
// A sender without a domain, or a domain address itself, is always shown as it is.
[[nodiscard]] SenderView ChooseSenderView(const MemoStore& store, std::string_view senderAddress,
                                          SenderViewRequest request);

}  // namespace pinote
