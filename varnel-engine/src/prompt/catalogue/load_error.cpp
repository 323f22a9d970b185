#include "varnel/engine/catalogue.hpp"

namespace varnel {

std::string LoadError::display() const {
  const char* prefix = "";
  switch (kind) {
    case Kind::FlowNotFound: prefix = "flow not found: "; break;
    case Kind::StepNotFound: prefix = "step not found: "; break;
    case Kind::DirectionNotFound: prefix = "direction not found: "; break;
    case Kind::InvalidFlow: prefix = "invalid flow: "; break;
    case Kind::InvalidStep: prefix = "invalid step: "; break;
    case Kind::InvalidDirection: prefix = "invalid direction: "; break;
    case Kind::Io: prefix = "io error: "; break;
  }
  return prefix + message;
}

}  // namespace varnel
