#include "app/widgets/wrapping_button.h"

#include "app/widgets/text_wrapping.h"

#include <QEvent>
#include <QLabel>

namespace app {

WrappingButton::WrappingButton(const QString &caption, QWidget *parent)
    : QPushButton(parent), m_captionText(caption)
{
    setAccessibleName(caption);
    m_caption = new QLabel(caption, this);
    m_caption->setObjectName(QStringLiteral("caption"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void WrappingButton::resizeEvent(QResizeEvent *event)
{
    QPushButton::resizeEvent(event);
    m_caption->setGeometry(rect().adjusted(4, 2, -4, -2));
    Rewrap();
}

void WrappingButton::changeEvent(QEvent *event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        Rewrap();
}

void WrappingButton::Rewrap()
{
    m_caption->setText(WrapAtBlanks(m_captionText, m_caption->fontMetrics(),
                                    m_caption->contentsRect().width()));
}

} // namespace app
