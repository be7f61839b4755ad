#pragma once

#include <QPushButton>

class QLabel;

namespace app {

/// A push button whose caption wraps inside the button's width, between words
/// only: the label's own word wrap would also break after the hyphen of
/// "HEX-Datei", so the button breaks the lines itself (WrapAtBlanks). The
/// caption is a child label named "caption"; the button's accessible name is
/// the whole caption.
class WrappingButton : public QPushButton {
public:
    WrappingButton(const QString &caption, QWidget *parent);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Rewrap();

    QString m_captionText;
    QLabel *m_caption;
};

} // namespace app
