#pragma once

// The salon's books, as callers see them in one include: the data folder and first start,
// the connections and the statements run on them, transactions, and damaged files.
#include "connections.h"
#include "damage.h"
#include "datafolder.h"
#include "dialect.h"
#include "otherdesks.h"
#include "transaction.h"
