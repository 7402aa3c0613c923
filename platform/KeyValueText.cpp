// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/KeyValueText.h"

#include "core/RuntimeError.h"
#include "platform/KeyValueStore.h"

#include <cstddef>
#include <utility>

namespace orvalen::platform {

void ValueDataToText(std::uint32_t type, const std::vector<unsigned char>& data,
                     std::string& KeyVal) {
    // The final-zero rule needs a last byte to look at; without one the
    // lookup cannot go on, and the caller decides what that means.
    if (data.empty())
        throw RuntimeError(kInvalidProcedureCall, "stored value has no data bytes");

    const std::size_t kept = data.back() == 0 ? data.size() - 1 : data.size();

    switch (type) {
    case kValueTypeText:
        KeyVal.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(kept));
        break;
    case kValueTypeNumber32: {
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::string text = "&h";
        for (std::size_t i = kept; i > 0; --i) {
            const unsigned char byte = data[i - 1];
            text += kHex[byte >> 4];
            text += kHex[byte & 0x0F];
        }
        KeyVal = std::move(text);
        break;
    }
    default:
        break;
    }
}

}  // namespace orvalen::platform
