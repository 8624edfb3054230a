#pragma once

#include <QObject>
#include <QString>
#include <array>

class QMenu;
class QWidget;

// What the layer canvases show beyond grid, dots and cursor, and whether a
// drag keeps the cursor inside the dots. Every option starts off, so a canvas
// looks and behaves as it always has until the person asks for more. They
// are the person's preferences, kept in the application settings rather than
// in a scene.
class HxKinetorViewOptions : public QObject
{
    Q_OBJECT
public:
    enum Option
    {
        // A ring at each dot sized by its blend weight at the cursor.
        Weights,
        // The weight as a number beside each dot.
        WeightNumbers,
        // The selected dot's weight over the canvas (Edit mode).
        Influence,
        // The area the dots cover, and a warning when the cursor leaves it.
        Coverage,
        // The cursor's recorded path with a tick every second.
        CursorPath,
        // Each dot's number in the layer.
        DotNumbers,
        // What the canvas is missing (a figure, a second dot) and dots that
        // share a cell. An option like the rest, since these words are drawn
        // on the canvas, which paints as before until asked for more.
        CanvasHints,
        // A drag clamps the cursor to the covered area.
        KeepCursorInside,
        OptionCount
    };
    Q_ENUM(Option)

    // Reads the options from the application settings, when there are any.
    explicit HxKinetorViewOptions(QObject* parent = nullptr);
    ~HxKinetorViewOptions() override;

    bool isOn(Option option) const;
    // Stores the option in the settings too; emits changed when it changes.
    void setOn(Option option, bool on);

    // The menu entry's text and the settings key.
    static QString label(Option option);
    static QString settingsKey(Option option);

    // A "Show" menu with a check entry per option, following and setting them.
    QMenu* createMenu(QWidget* parent);

signals:
    void changed(HxKinetorViewOptions::Option option, bool on);

private:
    std::array<bool, OptionCount> m_on{};
};
