#include "text/wrap.h"

#include "base/console.h"
#include "base/messages.h"
#include "base/number_format.h"
#include "base/wrap_int.h"

namespace quilnote {

void WrapLines(TLineList& lines, const TWrapSettings& settings, uint64_t checkpoint_stride) {
  int32_t available = WrapSub(settings.PageWidth, WrapMul(2, settings.HorizontalMargin));
  int32_t columns = WrapMul(CheckedDiv(available, settings.FontSize), 2);
  WriteStdoutLine(FormatInt(columns) + std::string(msg::kColumns));
  lines.Wrap(TWrapWidths{available, settings.FontSize}, checkpoint_stride);
}

}  // namespace quilnote
