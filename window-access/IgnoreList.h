#pragma once

#include <QSet>
#include <QString>
#include <array>
#include <mutex>

// Lists of applications, by lowercase bundle identifier, whose windows the program leaves alone in
// some way. The first four are read by mouse control; the "Irrelevant" lists take windows out of the
// window list altogether.
enum class ZRIgnoreListCategory : int {
    Content = 0,              // no control below the title bar
    Full = 1,                 // no mouse control at all
    Front = 2,                // no event tap while the application is frontmost
    Position = 3,             // its windows are found by the window list rather than the element at a point
    IrrelevantAny = 4,        // every window
    IrrelevantNoChrome = 5,   // windows without a title
    IrrelevantFullScreen = 6, // windows that cover a whole screen
    IrrelevantDockLevel = 7,  // windows above the normal window layer
};

// The lists, read from the program's own file "Ignore.plist" (or the older "Blacklist.plist") in its
// data folder: a dictionary from category name to an array of bundle identifiers. A missing file
// means empty lists; a broken one is logged and read as empty lists. Safe from any thread.
class ZRIgnoreList {
public:
    static constexpr int CategoryCount = 8;

    static ZRIgnoreList& sharedList();

    // $XDG_DATA_HOME/Skaf, else ~/.local/share/Skaf.
    static QString folderPath();
    static QString filePath();
    static QString legacyFilePath();
    // The key of the category in the file.
    static QString nameOfCategory(ZRIgnoreListCategory category);

    bool contains(const QString& lowercaseBundleIdentifier, ZRIgnoreListCategory category);
    // Reads the file again (it is first read on first use).
    void reload();

private:
    void loadLocked();

    std::mutex m_mutex;
    bool m_loaded = false;
    std::array<QSet<QString>, CategoryCount> m_lists;
};

// Whether the application is on the list of that category.
bool ZRApplicationIsIgnored(const QString& lowercaseBundleIdentifier, ZRIgnoreListCategory category);
