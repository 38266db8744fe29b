#pragma once

#include <stdexcept>

namespace tintora::model {

// A request the control model cannot carry out: a member an array does not
// have, a scroll bar value outside its range. The message names the control
// and the value.
class ModelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}
