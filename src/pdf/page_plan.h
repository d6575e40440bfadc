// The objects of a page, numbered one after another in this order: the
// page object, its content stream object and the stream's length object.
// So page k of a document whose first page object is f has its page object
// at f + kObjectsPerPage * k.
#ifndef QUILNOTE_PDF_PAGE_PLAN_H_
#define QUILNOTE_PDF_PAGE_PLAN_H_

#include <cstdint>

namespace quilnote {

namespace page_plan {

inline constexpr uint64_t kPageObject = 0;
inline constexpr uint64_t kContentObject = 1;
inline constexpr uint64_t kLengthObject = 2;
inline constexpr uint64_t kObjectsPerPage = 3;

// The number of the page object of page `page` (0-based).
constexpr uint64_t PageObjectNumber(uint64_t first_page_object, uint64_t page) {
  return first_page_object + kObjectsPerPage * page;
}

// The numbers of the content stream object and the length object of the
// page whose page object is `page_object`.
constexpr uint64_t ContentObjectNumber(uint64_t page_object) {
  return page_object - kPageObject + kContentObject;
}
constexpr uint64_t LengthObjectNumber(uint64_t page_object) {
  return page_object - kPageObject + kLengthObject;
}

}  // namespace page_plan

// The object numbers every page is written with or refers to.
struct TPagePlan {
  uint64_t page_tree;   // every page's parent
  uint64_t font;        // the font every page names
  uint64_t first_page;  // the first page's page object
};

}  // namespace quilnote

#endif  // QUILNOTE_PDF_PAGE_PLAN_H_
