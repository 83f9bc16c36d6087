// Keeps the shared test-support library non-empty before any helper exists.
