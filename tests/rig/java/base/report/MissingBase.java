package report;

/** Compiled apart and never put on the launch's class path. */
public class MissingBase {
}
