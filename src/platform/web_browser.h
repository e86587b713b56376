#pragma once

#include <QString>
#include <QWidget>

namespace platform {

// The embedded web browser control, a widget its form places and shows or hides.
// Navigate and Navigate2 start loading an address and return at once; a later
// navigation replaces a page that is still loading. Requests made before the browser
// is first shown are kept and carried out, in order, when it first appears.
// requestFocus() is the host's no-argument request: harmless while hidden.
class WebBrowser : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void Navigate(const QString& url) = 0;
    virtual void Navigate2(const QString& url) = 0;
    virtual void requestFocus() = 0;
};

// Makes the browser controls; the program's factory keeps the web engine out of the
// process until a browser is first shown.
class WebBrowserFactory {
public:
    virtual ~WebBrowserFactory() = default;
    virtual WebBrowser* create(QWidget* parent) = 0;
};

} // namespace platform
