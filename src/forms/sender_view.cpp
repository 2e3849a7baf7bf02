#include "forms/sender_view.h"

#include "store/domain_memo.h"

namespace pinote {

SenderView ChooseSenderView(const MemoStore& store, std::string_view senderAddress,
                            SenderViewRequest request) {
  SenderView view;
  view.address = std::string(senderAddress);
  const std::vector<std::string> candidates = DomainAddressesFor(senderAddress, store.TextCodePage());
  if (candidates.empty()) return view;
  const int own = store.IndexOfAddress(senderAddress);
  DomainMatch domain = FindDomainRecord(store, senderAddress);
  // A record that holds the sender and the domain both (written so by hand) is the sender's.
  if (domain.record == own) domain = {};
  view.domainAddress = domain.record >= 0 ? domain.address : candidates.front();
  const Person* domainRecord = store.Get(domain.record);
  const bool domainHasMemo = domainRecord != nullptr && !domainRecord->memo.empty();
  const Person* person = store.Get(own);
  const bool ownShowsSomething =
      person != nullptr && (!person->memo.empty() || !person->nameListText.empty());
  view.domainShown = request == SenderViewRequest::kDomain ||
                     (request == SenderViewRequest::kAuto && domainHasMemo && !ownShowsSomething);
  if (view.domainShown) {
    view.address = view.domainAddress;
  } else {
    view.hint = domainHasMemo;
  }
  return view;
}

}  // namespace pinote
