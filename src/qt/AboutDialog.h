#pragma once

#include <QDialog>

namespace veltra {

// Template 100: the program's name and version, a second line, the icon and "OK".
class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace veltra
