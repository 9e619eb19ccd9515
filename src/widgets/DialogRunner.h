#pragma once

#include <functional>

class QDialog;

// Shows a dialog modally. Tests replace `hook` to drive the dialog (set its boxes, press its
// buttons) instead of running a nested event loop.
class DialogRunner {
public:
    int exec(QDialog* dialog);
    std::function<int(QDialog*)> hook;
};
