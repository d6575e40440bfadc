// The page list: the object numbers of the page objects, in page order, from
// which the page tree is written. Page objects are numbered by the page
// plan, a fixed step apart, so the list is held as its first number and its
// length, whatever the number of pages.
#ifndef QUILNOTE_PDF_PAGE_LIST_H_
#define QUILNOTE_PDF_PAGE_LIST_H_

#include <cstdint>

#include "pdf/page_plan.h"

namespace quilnote {

class TPageList {
 public:
  // Adds the next page, whose page object is `object_number`: the first
  // page's sets where the list starts, the others follow from the plan.
  void Append(uint64_t object_number) {
    if (count_ == 0) first_ = object_number;
    ++count_;
  }
  uint64_t Count() const { return count_; }
  uint64_t Entry(uint64_t i) const { return page_plan::PageObjectNumber(first_, i); }

 private:
  uint64_t first_ = 0;
  uint64_t count_ = 0;
};

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGE_LIST_H_
