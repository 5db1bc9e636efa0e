// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/WindowProperty.h"

#include <QStringDecoder>

namespace drowsel {

namespace {

// UTF8_STRING is decoded as UTF-8 with U+FFFD for bad bytes. STRING is Latin-1
// by the ICCCM, yet many clients write UTF-8 there: valid UTF-8 is taken as
// such, anything else as Latin-1, so no byte is lost or turns into garbage.
std::string toUtf8(std::string_view bytes, bool declaredUtf8) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (declaredUtf8 || !decoder.hasError()) {
        return decoded.toStdString();
    }
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())).toStdString();
}

} // namespace

xcb_get_property_cookie_t WindowProperty::request(xcb_connection_t* connection, xcb_window_t window,
                                                  xcb_atom_t property, std::uint32_t length) {
    return xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, length);
}

WindowProperty WindowProperty::reply(xcb_connection_t* connection, xcb_get_property_cookie_t cookie) {
    return WindowProperty(XcbReply<xcb_get_property_reply_t>(xcb_get_property_reply(connection, cookie, nullptr)));
}

std::optional<std::string_view> WindowProperty::bytes(xcb_atom_t utf8String) {
    if (!isPresent()) {
        return std::nullopt;
    }
    const bool isText = value->type == XCB_ATOM_STRING || value->type == utf8String;
    if (!isText || value->format != 8) {
        malformed = true;
        return std::nullopt;
    }
    const auto* data = static_cast<const char*>(xcb_get_property_value(value.get()));
    const auto length = xcb_get_property_value_length(value.get());
    return std::string_view(data, length > 0 ? std::size_t(length) : 0);
}

std::optional<std::string> WindowProperty::text(xcb_atom_t utf8String) {
    const auto all = bytes(utf8String);
    if (!all) {
        return std::nullopt;
    }
    return toUtf8(all->substr(0, all->find('\0')), value->type == utf8String);
}

std::vector<std::string> WindowProperty::strings(xcb_atom_t utf8String) {
    std::vector<std::string> result;
    auto rest = bytes(utf8String);
    while (rest && !rest->empty()) {
        const auto end = rest->find('\0');
        result.push_back(toUtf8(rest->substr(0, end), value->type == utf8String));
        rest = end == std::string_view::npos ? std::string_view() : rest->substr(end + 1);
    }
    return result;
}

std::span<const std::uint32_t> WindowProperty::items(xcb_atom_t type) {
    if (!isPresent()) {
        return {};
    }
    if (value->type != type || value->format != 32) {
        malformed = true;
        return {};
    }
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(value.get()));
    const auto length = xcb_get_property_value_length(value.get()) / int(sizeof(std::uint32_t));
    return {data, length > 0 ? std::size_t(length) : 0};
}

std::optional<std::uint32_t> WindowProperty::firstItem(xcb_atom_t type) {
    const auto all = items(type);
    if (all.empty()) {
        return std::nullopt;
    }
    return all.front();
}

} // namespace drowsel
