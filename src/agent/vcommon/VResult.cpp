#include "VResult.h"

const char* VResult::text() const
{
    switch (kind) {
    case Kind::Ok:
        return "ok";
    case Kind::Missing:
        return "does not exist";
    case Kind::NotRegular:
        return "is a link, a directory, a FIFO or a file with several names, not a plain file";
    case Kind::ForeignOwner:
        return "belongs to a user who may not write it";
    case Kind::TooLarge:
        return "is larger than allowed";
    case Kind::Failed:
        break;
    }
    return "cannot be used";
}
