package report;

/** The shortest main Java 25 runs: an instance method without parameters. */
class InstanceNoArgumentMain {
    void main() {
        System.out.println("instance main without arguments");
    }
}
