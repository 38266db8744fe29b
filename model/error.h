#pragma once

#include <stdexcept>
#include <string>

namespace tintora::model {

// A request the control model cannot carry out: a member an array does not
// have, a scroll bar value outside its range. The message names the control
// and the value.
class ModelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs an event's handler as the program's event boundary does: an error
// it raises stops it there and comes back as one line naming the control and
// the event ("StartButton.Click: ..."); empty where the handler ran through.
template <typename Handler>
std::string failure_of(std::string const& control, char const* event, Handler const& handler)
{
    try {
        handler();
    } catch (std::exception const& error) {
        return control + "." + event + ": " + error.what();
    } catch (...) {
        return control + "." + event + ": unknown error";
    }
    return {};
}

}
