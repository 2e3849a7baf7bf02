// Memos for everyone at a domain. A domain record is an ordinary record of the store whose
// address is "*@" and the domain ("*@example.co.jp"): Pinote.dat holds it like any other (a
// copy of the plug-in that knows nothing of domains keeps it as an address no mail comes from).
// A mail whose sender has no memo of their own shows the memo of the domain record that covers
// the sender's domain; the longest one, on whole labels, wins.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/code_page.h"
#include "store/memo_store.h"

namespace pinote {

inline constexpr std::string_view kDomainAddressPrefix = "*@";

// True for "*@" followed by anything: an address that stands for everyone at a domain. "*@"
// alone is not one.
[[nodiscard]] bool IsDomainAddress(std::string_view address) noexcept;

// The domain of a sender's address: the text after its last "@" (found by character of `cp`, so
// the second byte of a double-byte character is never taken for it), one trailing dot (the DNS
// root) dropped. nullopt when there is no "@", for a domain address itself, and for a domain
// with an empty label ("a@", "a@.", "a@.x", "a@x..", "a@x..y").
[[nodiscard]] std::optional<std::string_view> SenderDomain(std::string_view address,
                                                           const CodePage& cp);

// The domain addresses that may hold the memo for everyone at the sender's domain, most specific
// first: "*@" and every whole-label suffix of the domain ("*@mail.example.co.jp",
// "*@example.co.jp", "*@co.jp", "*@jp"). An address literal ("[192.0.2.1]") or a dotted IPv4
// address (its last label all digits) names one host: it gives only itself. Empty when
// SenderDomain has none.
[[nodiscard]] std::vector<std::string> DomainAddressesFor(std::string_view address,
                                                        const CodePage& cp);

struct DomainMatch {
  int record = -1;      // -1: no domain record covers the address
  std::string address;  // the record's domain address that matched, as stored
};

// The record of the first of DomainAddressesFor(address) that the store holds (letter case
// ignored, as for any address; the store's code page): the longest match on whole labels.
[[nodiscard]] DomainMatch FindDomainRecord(const MemoStore& store, std::string_view address);

// Whether joining the shown address (its record `shownRecord`, nullptr when it has none) with
// the record `picked` would put a person's address and a domain address into one record; a
// domain memo is for everyone at the domain, so the two are never unified.
[[nodiscard]] bool MixesPersonAndDomain(std::string_view shownAddress, const Person* shownRecord,
                                        const Person& picked);

}  // namespace pinote
