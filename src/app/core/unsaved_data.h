#pragma once

namespace vt640 {

// What the main window asks of the recorder when the program closes.
class UnsavedData {
public:
    virtual ~UnsavedData() = default;

    // The buffer holds records that are not saved to a file.
    virtual bool hasUnsavedData() const = 0;
    // Runs the save command; true when the data ended up saved.
    virtual bool saveData() = 0;
};

} // namespace vt640
