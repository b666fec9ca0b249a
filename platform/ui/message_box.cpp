#include "platform/ui/message_box.hpp"

#include <cstdio>
#include <mutex>
#include <string>

namespace tavrin::ui {
namespace {

std::mutex handlerMutex;
MessageBoxHandler& currentHandler() {
    static MessageBoxHandler handler;
    return handler;
}

}  // namespace

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler) {
    const std::lock_guard lock(handlerMutex);
    std::swap(currentHandler(), handler);
    return handler;
}

int MessageBoxA(void*, const char* text, const char* caption, UINT type) {
    const std::string_view body = text ? text : "", title = caption ? caption : "";
    MessageBoxHandler handler;
    {
        const std::lock_guard lock(handlerMutex);
        handler = currentHandler();
    }
    if (handler) return handler(body, title, type);
    std::string line(body);
    for (char& c : line) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(title.size()), title.data(), line.c_str());
    return IDOK;
}

}  // namespace tavrin::ui
