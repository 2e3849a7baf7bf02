#include "store/domain_memo.h"

#include <algorithm>

#include "common/ascii.h"
#include "store/address_index.h"


namespace pinote {
namespace {

// An address literal, or a dotted IPv4 address: no top-level domain is all digits.
bool IsHostAddress(std::string_view domain) {
  if (domain.front() == '[') return true;
  const size_t lastDot = domain.rfind('.');
  return IsAllAsciiDigits(lastDot == std::string_view::npos ? domain : domain.substr(lastDot + 1));
}

// The positions at which the labels of `domain` begin. A dot is never the second byte of a
// double-byte character, yet the walk is by character as for "@".
std::vector<size_t> LabelStarts(std::string_view domain, const CodePage& cp) {
  std::vector<size_t> starts{0};
  for (size_t i = 0; i < domain.size(); i += cp.CharSize(domain, i)) {
    if (domain[i] == '.') starts.push_back(i + 1);
  }
  return starts;
}

bool HoldsDomain(const std::vector<std::string>& addresses) {
  return std::any_of(addresses.begin(), addresses.end(),
                     [](const std::string& a) { return IsDomainAddress(a); });
}

bool HoldsPerson(const std::vector<std::string>& addresses) {
  return std::any_of(addresses.begin(), addresses.end(),
                     [](const std::string& a) { return !IsDomainAddress(a); });
}

}  // namespace

bool IsDomainAddress(std::string_view address) noexcept {
  return address.size() > kDomainAddressPrefix.size() &&
         address.substr(0, kDomainAddressPrefix.size()) == kDomainAddressPrefix;
}

std::optional<std::string_view> SenderDomain(std::string_view address, const CodePage& cp) {
  if (IsDomainAddress(address)) return std::nullopt;
  size_t at = std::string_view::npos;
  for (size_t i = 0; i < address.size(); i += cp.CharSize(address, i)) {
    if (address[i] == '@') at = i;
  }
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view domain = address.substr(at + 1);
  if (!domain.empty() && domain.back() == '.') domain.remove_suffix(1);
  if (domain.empty() || domain.front() == '.' || domain.back() == '.' ||
      domain.find("..") != std::string_view::npos) {
    return std::nullopt;
  }
  return domain;
}

std::vector<std::string> DomainAddressesFor(std::string_view address, const CodePage& cp) {
  std::vector<std::string> out;
  const std::optional<std::string_view> domain = SenderDomain(address, cp);
  if (!domain) return out;
  const std::string prefix(kDomainAddressPrefix);
  if (IsHostAddress(*domain)) {
    out.push_back(prefix + std::string(*domain));
    return out;
  }
  for (const size_t start : LabelStarts(*domain, cp)) {
    out.push_back(prefix + std::string(domain->substr(start)));
  }
  return out;
}

DomainMatch FindDomainRecord(const MemoStore& store, std::string_view address) {
  const CodePage& cp = store.TextCodePage();
  for (const std::string& candidate : DomainAddressesFor(address, cp)) {
    const int record = store.IndexOfAddress(candidate);
    if (record < 0) continue;
    // The record's own spelling of it, for the window to show.
    const std::vector<std::string>& held = store.Get(record)->addresses;
    const auto stored = std::find_if(held.begin(), held.end(), [&](const std::string& a) {
      return SameAddressKey(a, candidate, cp);
    });
    return {record, stored != held.end() ? *stored : candidate};
  }
  return {};
}

bool MixesPersonAndDomain(std::string_view shownAddress, const Person* shownRecord,
                          const Person& picked) {
  const std::vector<std::string> shown =
      shownRecord != nullptr ? shownRecord->addresses
                             : std::vector<std::string>{std::string(shownAddress)};
  return (HoldsDomain(shown) && HoldsPerson(picked.addresses)) ||
         (HoldsPerson(shown) && HoldsDomain(picked.addresses));
}

}  // namespace pinote
