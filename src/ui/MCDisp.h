#pragma once
// The channel panel: a small tool window titled "Channels" with one row per
// channel of a multi-channel dictation (at most 15): a push-like check box
// (is the channel heard) and a decibel slider (its level, +12 to -36 dB).
// Any change stores the rows into the channel entries and emits changed(), on
// which the main window restarts playback with the new mix; a level dragged
// with the mouse does so once, when the button is released.  The panel opens
// beside the main window (PanelPlacement).
//
// channelGains() turns the entries into the left and right gain lists of the
// channel mix: the channels are spread from left to right, each heard fully on
// its own side and up to 18 dB lower on the other.  Interface thread only.
#include <QObject>
#include <QPointer>

#include <array>
#include <cstdint>
#include <vector>

class QPushButton;
class QWidget;

namespace typix {

class LDBEdit;

class MCDisp : public QObject {
    Q_OBJECT
public:
    static constexpr int kEntries = 16;
    static constexpr int kMaxRows = 15;

    struct Channel {
        bool enabled = true;
        int8_t level = 0;
    };

    explicit MCDisp(QWidget* owner);
    ~MCDisp() override;

    // Opens the panel for `channels` rows (0 becomes 1, more than 15 become
    // 15); an open panel with the same row count stays as it is.
    void showFor(int channels);
    void close();
    bool isOpen() const { return !window_.isNull(); }
    QWidget* window() const { return window_; }
    int rowCount() const { return rows_; }

    const Channel& channel(int i) const { return entries_.at(i); }
    QPushButton* rowCheck(int row) const;
    LDBEdit* rowLevel(int row) const;

    // Gain lists of length `channels` for the channel mix.
    void channelGains(int channels, std::vector<int8_t>& left, std::vector<int8_t>& right) const;
    static void channelGains(int channels, const std::array<Channel, kEntries>& entries,
                             std::vector<int8_t>& left, std::vector<int8_t>& right);

signals:
    void changed();

private:
    void createWindow();
    void placeBesideOwner(QWidget& panel) const;
    void storeEntries();  // quietly
    void storeRows();     // and announce the change

    QWidget* owner_;
    QPointer<QWidget> window_;
    int rows_ = 0;
    std::array<Channel, kEntries> entries_{};
};

}  // namespace typix
