// Placeholder so that a subsystem folder without sources still forms a library.
