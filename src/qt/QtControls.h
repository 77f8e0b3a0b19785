#pragma once

#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "core/Controls.h"
#include "core/Notification.h"
#include "ui/DialogTemplate.h"

class QWidget;

namespace veltra {

// The main window's widgets as the core sees them. Reports the notifications that the poll
// cycle watches (WatchedNotifications), and nothing else; counts every change of every
// control.
//
// Texts are bytes in the host's character set. A text that cannot be decoded is shown with
// replacement characters but kept byte for byte, and given back unchanged until the user
// edits that field, so that showing and re-sending a logger's settings never alters them.
class QtControls : public Controls {
  public:
    using Listener = std::function<void(ControlId, Notification)>;
    // Shows a message modally and returns when the user has confirmed it.
    using MessagePresenter = std::function<void(const QString&)>;
    using TimerSwitch = std::function<void(bool running)>;

    QtControls(QWidget& window, TimerSwitch timerSwitch);

    // Takes a widget of the template's kind under its id and connects its notifications.
    void add(ControlId id, ControlKind kind, QWidget* widget);
    QWidget* widget(ControlId id) const;
    template <class Widget>
    Widget* widgetAs(ControlId id) const {
        return qobject_cast<Widget*>(widget(id));
    }

    void setListener(Listener listener) { listener_ = std::move(listener); }
    void setMessagePresenter(MessagePresenter presenter) { presenter_ = std::move(presenter); }

    // Controls
    std::string text(ControlId id) const override;
    void setText(ControlId id, std::string_view text) override;
    int selection(ControlId id) const override;
    void select(ControlId id, int index) override;
    int entryCount(ControlId id) const override;
    std::string entryText(ControlId id, int index) const override;
    bool isChecked(ControlId id) const override;
    void setEnabled(ControlId id, bool enabled) override;
    void setFocus(ControlId id) override;
    void refreshControlArea(ControlId id) override;
    void showMessage(std::string_view utf8Text) override;
    void stopPollTimer() override { timerSwitch_(false); }
    void startPollTimer() override { timerSwitch_(true); }
    std::optional<std::uint64_t> changeCount() const override { return changes_; }

  private:
    struct Entry {
        ControlKind kind;
        QWidget* widget;
        // The bytes last set by the program, while the widget still shows them.
        std::optional<std::string> bytes;
        QString shown;
        bool unchanged = false;  // the last text set was the one already shown
    };
    const Entry* find(ControlId id) const;
    QString shownText(const Entry& entry) const;
    void report(ControlId id, Notification what);

    QWidget& window_;
    TimerSwitch timerSwitch_;
    std::map<ControlId, Entry> controls_;
    Listener listener_;
    MessagePresenter presenter_;
    bool settingText_ = false;
    std::uint64_t changes_ = 0;
};

}  // namespace veltra
