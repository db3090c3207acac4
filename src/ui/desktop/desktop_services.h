// Seams to the desktop: the clipboard and the opener of addresses. Tests replace both.
#pragma once

#include <string>

namespace velomir {

class BackgroundWork;
class HttpTransport;

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const std::string& text) = 0;
    virtual std::string text() const = 0;
};

class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    virtual void openAddress(const std::string& address) = 0;
};

// True for an http or https address: nothing else from an answer is handed to the desktop.
bool isWebAddress(const std::string& address);

// Puts `text` on the clipboard; true when reading it back gives the same text.
bool copyText(Clipboard& clipboard, const std::string& text);

// Opens a web address; anything else is refused silently.
void openWebAddress(DesktopOpener& opener, const std::string& address);

// What the windows use of the outside world. Requests go through `http` on `work`'s workers only.
struct UiServices {
    HttpTransport& http;
    BackgroundWork& work;
    Clipboard& clipboard;
    DesktopOpener& opener;
};

// The real clipboard and opener (QClipboard, QDesktopServices).
class SystemClipboard : public Clipboard {
public:
    void setText(const std::string& text) override;
    std::string text() const override;
};

class SystemOpener : public DesktopOpener {
public:
    void openAddress(const std::string& address) override;
};

}  // namespace velomir
