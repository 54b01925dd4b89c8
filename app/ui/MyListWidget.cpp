#include "MyListWidget.h"

#include "RelativeAge.h"
#include "WidgetStyles.h"

#include <QCheckBox>
#include <QLabel>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>

namespace {
constexpr int kScrollBarWidth = 5;
}

MyListWidgetItem::MyListWidgetItem(QWidget* parent)
    : QWidget(parent), m_CheckBox(new QCheckBox(this)), m_TitleLabel(new QLabel(this)),
      m_AgeLabel(new QLabel(this)) {
    QFont f = font();
    f.setFamily(QStringLiteral("arial"));
    setFont(f);
    m_CheckBox->setStyleSheet(QString::fromLatin1(kCheckBoxStyle));
    m_TitleLabel->setStyleSheet(QStringLiteral("QLabel { color: #203e57;font: 16pt;}"));
    m_AgeLabel->setStyleSheet(QStringLiteral("QLabel { color: #42627c;font: 13pt;}"));
    connect(m_CheckBox, &QCheckBox::stateChanged, this, &MyListWidgetItem::m_checkBox_slots);
}

void MyListWidgetItem::setValues(const QString& title, const QString& dateText,
                                 const QString& path) {
    m_TitleLabel->setText(title);
    m_AgeLabel->setText(RelativeAge(dateText));
    m_Path = path;
}

void MyListWidgetItem::m_checkBox_slots() {
    emit clickedChange(this);
}

void MyListWidgetItem::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    m_CheckBox->setGeometry(0, 5, 15, 15);
    m_TitleLabel->setGeometry(25, 0, w - 1 - 25, h / 2);
    m_AgeLabel->setGeometry(25, h / 2, w - 1 - 25, h - h / 2);
}

MyListWidget::MyListWidget(QWidget* parent)
    : QWidget(parent), m_ScrollArea(new QScrollArea(this)), m_Container(new QWidget) {
    m_ScrollArea->setFrameShape(QFrame::NoFrame);
    m_ScrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_ScrollArea->horizontalScrollBar()->setFixedHeight(0);
    m_ScrollArea->horizontalScrollBar()->hide();
    m_ScrollArea->verticalScrollBar()->setFixedWidth(kScrollBarWidth);
    m_ScrollArea->verticalScrollBar()->setStyleSheet(QString::fromLatin1(kListScrollBarStyle));
    QPalette pal = m_ScrollArea->palette();
    pal.setColor(QPalette::Window, QColor(252, 252, 252));
    pal.setColor(QPalette::Base, QColor(252, 252, 252));
    m_ScrollArea->setPalette(pal);
    m_ScrollArea->setAutoFillBackground(true);
    m_ScrollArea->viewport()->setPalette(pal);
    m_ScrollArea->viewport()->setAutoFillBackground(true);
    m_Container->setAutoFillBackground(false);
    m_ScrollArea->setWidgetResizable(false);
    m_ScrollArea->setWidget(m_Container);
    m_Container->resize(0, 100);
}

void MyListWidget::addItem(const QString& title, const QString& dateText, const QString& path) {
    for (MyListWidgetItem* item : m_Items) {
        if (item->path().isEmpty()) {
            item->setValues(title, dateText, path);
            relayout();
            return;
        }
    }
    auto* item = new MyListWidgetItem(m_Container);
    item->setValues(title, dateText, path);
    connect(item, &MyListWidgetItem::clickedChange, this, &MyListWidget::ItemlistStateChange);
    m_Items.append(item);
    relayout();
}

void MyListWidget::clearItems() {
    m_VisibleCount = 0;
    for (MyListWidgetItem* item : m_Items) {
        item->clearPath();
        item->hide();
    }
    relayout();
}

void MyListWidget::relayout() {
    m_VisibleCount = 0;
    int y = 0;
    int lastY = -1;
    const int width = m_Container->width();
    for (MyListWidgetItem* item : m_Items) {
        if (item->path().isEmpty()) {
            break;
        }
        item->setGeometry(0, y, width, 40);
        item->show();
        ++m_VisibleCount;
        lastY = y;
        y += 50;
    }
    m_Container->resize(width, lastY >= 0 ? lastY + 100 : 100);
}

QStringList MyListWidget::checkedPaths() const {
    QStringList paths;
    for (int i = 0; i < m_VisibleCount && i < m_Items.size(); ++i) {
        if (m_Items[i]->checkBox()->isChecked()) {
            paths.append(m_Items[i]->path());
        }
    }
    return paths;
}

void MyListWidget::ItemlistStateChange(MyListWidgetItem* item) {
    if (!item || !item->checkBox()->isChecked()) {
        return;
    }
    for (MyListWidgetItem* other : m_Items) {
        if (other != item) {
            other->checkBox()->setChecked(false);
        }
    }
}

void MyListWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_ScrollArea->setGeometry(rect());
    // Rows span the list less the thin scroll bar's 5 pixels. Taken from our
    // own width: while the list is hidden the viewport has not been laid out
    // yet and still has its default width.
    m_Container->resize(width() - kScrollBarWidth, m_Container->height());
    relayout();
}
