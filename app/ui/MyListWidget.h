// MyListWidget: the checkable list of earlier backups. Rows are reused after
// clearItems() and at most one row is checked at a time.
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QScrollArea;

class MyListWidgetItem : public QWidget {
    Q_OBJECT

public:
    explicit MyListWidgetItem(QWidget* parent = nullptr);

    void setValues(const QString& title, const QString& dateText, const QString& path);
    QCheckBox* checkBox() const { return m_CheckBox; }
    QLabel* titleLabel() const { return m_TitleLabel; }
    QLabel* ageLabel() const { return m_AgeLabel; }
    // The backup folder of the row; empty when the row is free for reuse.
    QString path() const { return m_Path; }
    void clearPath() { m_Path.clear(); }

signals:
    void clickedChange(MyListWidgetItem* item);

public slots:
    void m_checkBox_slots();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QCheckBox* m_CheckBox;
    QLabel* m_TitleLabel;
    QLabel* m_AgeLabel;
    QString m_Path;
};

class MyListWidget : public QWidget {
    Q_OBJECT

public:
    explicit MyListWidget(QWidget* parent = nullptr);

    void addItem(const QString& title, const QString& dateText, const QString& path);
    void clearItems();
    void relayout();

    const QList<MyListWidgetItem*>& items() const { return m_Items; }
    int visibleCount() const { return m_VisibleCount; }
    QWidget* container() const { return m_Container; }
    // Paths of the checked rows that are shown, in list order.
    QStringList checkedPaths() const;

public slots:
    void ItemlistStateChange(MyListWidgetItem* item);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QScrollArea* m_ScrollArea;
    QWidget* m_Container;
    QList<MyListWidgetItem*> m_Items;
    int m_VisibleCount = 0;
};
