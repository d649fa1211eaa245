// The folders the user opened last, newest first, kept between sessions.
#pragma once

#include <QStringList>

namespace sormel {

class RecentFolders {
public:
    static constexpr qsizetype kLimit = 8;

    QStringList folders() const;
    // Puts `folder` first; an older entry for it goes, and so does the
    // oldest beyond the limit.
    void add(const QString& folder);
    void remove(const QString& folder);

private:
    void store(const QStringList& folders);
};

}  // namespace sormel
