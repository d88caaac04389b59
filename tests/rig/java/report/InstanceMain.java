package report;

/** main as an instance method: run since Java 25, refused as not static before. */
public class InstanceMain {
    public void main(String[] args) {
        System.out.println("instance main with " + args.length + " argument(s)");
    }
}
