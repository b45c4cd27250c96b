#pragma once
// Where a location to show came from, as the view and the bars report it to
// the main window (which routes it on to the others).

enum LocationOrigin : int {
    kFromFrame = 0,       // the address bar, a drop, a command of the window
    kFromView = 1,        // the view reached it (a link, an archive opened)
    kFromFileList = 3,    // picked in the file list
    kFromArchiveBar = 4,  // picked in the archive bar
};
