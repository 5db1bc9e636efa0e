// SPDX-License-Identifier: GPL-3.0-or-later
// Window properties are written by other clients, so every byte of them is
// untrusted: names and classes (text), types, states and protocols (atoms),
// PIDs (cardinals) and icons. Input: the property's type selector, its
// format, then its value; the reply is built as the X server would send it.
#include "platform/desktop/IconLoader.h"
#include "platform/x11/WindowProperty.h"

#include <QGuiApplication>
#include <QString>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

using namespace drowsel;

constexpr xcb_atom_t utf8String = 301;
constexpr std::array<xcb_atom_t, 6> types{XCB_ATOM_STRING, utf8String,      XCB_ATOM_CARDINAL,
                                          XCB_ATOM_ATOM,   XCB_ATOM_WINDOW, XCB_ATOM_INTEGER};

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool isValidUtf8(const std::string& text) {
    const QByteArray bytes = QByteArray::fromStdString(text);
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// The server sends as many whole items as the value holds.
WindowProperty replyHolding(xcb_atom_t type, std::uint8_t format, std::string_view value) {
    const std::size_t itemSize = format / 8;
    const std::size_t items = itemSize == 0 ? 0 : value.size() / itemSize;
    auto* reply =
        static_cast<xcb_get_property_reply_t*>(std::calloc(1, sizeof(xcb_get_property_reply_t) + value.size()));
    reply->response_type = XCB_GET_PROPERTY;
    reply->format = format;
    reply->type = type;
    reply->value_len = std::uint32_t(items);
    reply->length = std::uint32_t((items * itemSize + 3) / 4);
    std::memcpy(reply + 1, value.data(), value.size());
    return WindowProperty(XcbReply<xcb_get_property_reply_t>(reply));
}

void textsAreUtf8(xcb_atom_t type, std::uint8_t format, std::string_view value) {
    auto property = replyHolding(type, format, value);
    if (const auto text = property.text(utf8String)) {
        require(isValidUtf8(*text));
    }
    for (const auto& part : replyHolding(type, format, value).strings(utf8String)) {
        require(isValidUtf8(part) && part.size() <= 3 * value.size());
    }
    const bool isText = type == XCB_ATOM_STRING || type == utf8String;
    require(property.isMalformed() == (isText ? format != 8 : type != XCB_ATOM_NONE));
}

void itemsStayInsideTheValue(xcb_atom_t type, std::uint8_t format, std::string_view value) {
    for (const auto asked : types) {
        auto property = replyHolding(type, format, value);
        const auto items = property.items(asked);
        require(items.size() <= value.size() / 4);
        require(items.empty() || (asked == type && format == 32));
        const auto first = replyHolding(type, format, value).firstItem(asked);
        require(first.has_value() == !items.empty());
    }
}

void iconsHavePlausibleSizes(xcb_atom_t type, std::uint8_t format, std::string_view value) {
    auto property = replyHolding(type, format, value);
    const QIcon icon = IconLoader::fromNetWmIcon(property.items(XCB_ATOM_CARDINAL));
    for (const QSize& size : icon.availableSizes()) {
        require(size.width() <= int(IconLoader::maximumSide) && size.height() <= int(IconLoader::maximumSide));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Icons are pixmaps, which need a GUI application; no display is used.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "window_property_fuzzer";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const xcb_atom_t type = data[0] < types.size() ? types[data[0]] : xcb_atom_t(data[0]);
    const std::uint8_t format = data[1];
    const std::string_view value(reinterpret_cast<const char*>(data + 2), size - 2);
    textsAreUtf8(type, format, value);
    itemsStayInsideTheValue(type, format, value);
    iconsHavePlausibleSizes(type, format, value);
    return 0;
}
