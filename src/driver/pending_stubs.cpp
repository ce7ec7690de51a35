// Temporary: entry points of work in progress on other branches.
