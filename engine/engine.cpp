// corvel's simulation engine.
