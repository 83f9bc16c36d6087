// Process entry: parses the automation flags, then runs the application.
// (The application shell replaces this placeholder entry.)
int main() { return 0; }
