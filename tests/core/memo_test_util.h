// Helpers shared by the memo store and name-list tests: building records and describing a store
// compactly so that tables can state the expected records in one string.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "store/memo_store.h"

namespace pinote::test {

inline std::unique_ptr<Person> MakePerson(std::initializer_list<std::string> addresses,
                                       std::string memo = "", bool important = false,
                                       std::string nameList = "") {
  auto p = std::make_unique<Person>();
  p->addresses = addresses;
  p->memo = std::move(memo);
  p->important = important;
  p->nameListText = std::move(nameList);
  return p;
}

// "a,b!=l1/l2/" : addresses joined by ",", "!" when important, "=" then the memo with every
// CR LF shown as "/"; records joined by "|". Name-list text is not shown.
inline std::string Describe(const Person& p) {
  std::string out;
  for (size_t i = 0; i < p.addresses.size(); ++i) {
    if (i > 0) out += ',';
    out += p.addresses[i];
  }
  if (p.important) out += '!';
  out += '=';
  for (size_t i = 0; i < p.memo.size(); ++i) {
    if (p.memo.compare(i, 2, "\r\n") == 0) {
      out += '/';
      ++i;
    } else {
      out += p.memo[i];
    }
  }
  return out;
}

inline std::string Describe(const std::vector<std::unique_ptr<Person>>& persons) {
  std::string out;
  for (size_t i = 0; i < persons.size(); ++i) {
    if (i > 0) out += '|';
    out += Describe(*persons[i]);
  }
  return out;
}

inline std::string Describe(const MemoStore& store) {
  std::string out;
  for (int i = 0; i < store.Count(); ++i) {
    if (i > 0) out += '|';
    out += Describe(*store.Get(i));
  }
  return out;
}

}  // namespace pinote::test
