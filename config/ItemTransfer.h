#pragma once
// Moving configuration items between a plain configuration record and a logged-in recorder, item by
// item: the one transfer engine the window, the comparison and the command-line tool share. No widgets:
// progress goes to a callback, the values come from and go to a ConfigValues record.

#include "config/ConfigItems.h"

#include <QVector>
#include <functional>

class Link;

class ItemTransfer {
public:
    enum class Outcome {
        Done,      // every item answered
        Failed,    // an item went unanswered (the link has said so and logged out, silently for code 80),
                   // or the port went under the wait
        LoggedOut, // the login or the port went before the end (someone else has said why)
    };
    // After each item: the item, and how many of the requested items are done.
    using ItemDone = std::function<void(const ConfigItem& item, int done)>;
    static constexpr int kReadTimeout = 110;
    static constexpr int kStartPause = 5;  // ticks before the first frame

    explicit ItemTransfer(Link* link) : link_(link) {}

    // The items with these numbers (1..41) in table order; every item when `numbers` is empty.
    static QVector<ConfigItem> itemsNumbered(const QVector<int>& numbers);

    // Asks for each item with its read code and "T", and decodes each answer into `values`. An answer
    // that cannot be decoded (a record shorter than its fixed length) leaves its fields as they were in
    // `values` and is listed in undecodable(): a caller that compares must not take them for the
    // recorder's.
    Outcome read(ConfigValues& values, const QVector<int>& numbers = {}, const ItemDone& done = {});
    // Sends each item's payload, encoded from `current()` just before it goes out, and waits for its
    // acknowledgement. Throws what encoding throws (ConversionError, FrameError) at the item that
    // cannot be encoded; the items before it are written.
    Outcome write(const std::function<ConfigValues()>& current, const QVector<int>& numbers = {},
                  const ItemDone& done = {});
    // Encodes every item once, so that a value the program can check never leaves the recorder half
    // configured. Throws what the first item that cannot be encoded throws.
    static void checkEncodable(const ConfigValues& values, const QVector<int>& numbers = {});

    // After a read: the numbers of the items whose answer could not be decoded, in table order.
    const QVector<int>& undecodable() const { return undecodable_; }
    // After a transfer that failed: the code that went unanswered (0 when none). Code 80 fails without a
    // word from the link; a caller for whom that silence is wrong says "Brak odpowiedzi z MX-4" itself.
    int unansweredCode() const { return unansweredCode_; }
    bool failedSilently() const { return unansweredCode_ == kSilentReadCode; }

private:
    bool usable() const;
    Outcome failed(int code);
    Link* link_;
    QVector<int> undecodable_;
    int unansweredCode_ = 0;
};
