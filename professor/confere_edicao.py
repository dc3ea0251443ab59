"""Checks on a student edition that need more than a shell:
    confere_edicao.py vazamentos FULL EDITION [MORE...]
        no line of the teacher's answers appears in EDITION (or MORE folders,
        such as its build), unless a student-side file of FULL has it too;
    confere_edicao.py workflow FULL EDITION
        the Classroom workflow has the job, steps, ids, runners and
        environment names Classroom expects, one step per exercise and hunt;
        prints each step's id and command, tab-separated.
Exits 1 with a line per fault."""
import pathlib
import sys

MINIMO = 12  # shorter lines (braces, "return 0;") say nothing of an answer


def linhas(caminho):
    texto = caminho.read_bytes().decode("utf-8", "replace")
    return {l.strip() for l in texto.splitlines() if len(l.strip()) >= MINIMO}


def segredos(completo):
    """The teacher's lines: solutions, wrong solutions, hunt answers, broken
    copies and what each copy is, minus what the student's files say too
    (notes, checks, templates, starting files, the lessons' programs and
    their tests: a line such as "if (pid == 0) {" is no answer)."""
    prof = completo / "professor"
    fontes = [*prof.glob("solucoes/*"), *prof.glob("defeitos/*.trocas"), *prof.glob("ocultos/*")]
    achados = {}
    for f in fontes:
        for l in linhas(f):
            achados.setdefault(l, f.relative_to(completo))
    aulas = completo / "material" / "aulas"
    do_aluno = [*aulas.glob("**/*.md"), *aulas.glob("*/*.cpp"), *aulas.glob("*/exercicios/*.cpp"),
                *(completo / "tests" / "exercicios").glob("*.txt"), completo / "README.md",
                completo / "README.en.md", *(completo / "tests").glob("*.cpp"),
                *(completo / "tests" / "harness").glob("*")]
    publicas = set().union(*(linhas(f) for f in do_aluno))
    return {l: f for l, f in achados.items() if l not in publicas}


def vazamentos(completo, pastas):
    procurar = segredos(completo)
    em_bytes = {l.encode(): f for l, f in procurar.items()}
    falhas = []
    for pasta in pastas:
        for arquivo in sorted(p for p in pasta.rglob("*") if p.is_file() and ".git" not in p.parts):
            dados = arquivo.read_bytes()
            if b"\0" in dados:  # a binary: any stretch of it
                vistos = [l for l in em_bytes if l in dados]
                vistos = [l.decode() for l in vistos]
            else:
                vistos = sorted(linhas(arquivo) & procurar.keys())
            for l in vistos:
                falhas.append(f"{arquivo}: a line of {procurar[l]}: {l}")
    print(f"{len(procurar)} lines of the teacher's side looked for in {len(pastas)} folder(s)")
    return falhas


def workflow(completo, edicao):
    import yaml

    lista = [l.split() for l in (completo / "professor" / "exercicios.txt").read_text().splitlines()
             if l and not l.startswith("#")]
    esperados = [(n, f"ctest --preset exercicios -R {n}", 6) for l in lista for n in l[1:]]
    esperados += [(f"defeitos-{l[0]}", f"ctest --preset defeitos -R {l[0]}", 16) for l in lista]
    falhas = []
    # Every exercise and every lesson of the tree has its step, and no more.
    aulas = completo / "material" / "aulas"
    no_disco = sorted(p.stem for p in aulas.glob("*/exercicios/*.cpp"))
    no_disco += sorted(f"defeitos-{p.parent.parent.name}" for p in aulas.glob("*/exercicios/defeitos.md"))
    if sorted(no_disco) != sorted(e[0] for e in esperados):
        falhas.append(f"exercicios.txt lists {sorted(e[0] for e in esperados)}, the tree has {sorted(no_disco)}")

    texto = (edicao / ".github" / "workflows" / "classroom.yml").read_text()
    if "\n'on': [push, repository_dispatch]\n" not in texto:
        falhas.append("the trigger is not 'on': [push, repository_dispatch], with the key quoted")
    doc = yaml.safe_load(texto)
    if doc.get("on") != ["push", "repository_dispatch"]:
        falhas.append(f"on: {doc.get('on')}")
    if doc.get("permissions") != {"checks": "write", "actions": "read", "contents": "read"}:
        falhas.append(f"permissions: {doc.get('permissions')}")
    trabalho = doc.get("jobs", {}).get("run-autograding-tests")
    if trabalho is None:
        return falhas + ["no job run-autograding-tests"]
    if trabalho.get("runs-on") != "ubuntu-24.04":
        falhas.append(f"runs-on: {trabalho.get('runs-on')}")
    if trabalho.get("if") != "github.actor != 'github-classroom[bot]'":
        falhas.append(f"if: {trabalho.get('if')}")
    if trabalho.get("env") != {"CI": ""}:
        falhas.append(f"env: {trabalho.get('env')}")
    passos = trabalho.get("steps", [])
    corridas = " ".join(p.get("run", "") for p in passos)
    for pacote in "g++ cmake libgtest-dev clitest strace valgrind".split():
        if f" {pacote}" not in corridas:
            falhas.append(f"{pacote} is not installed")
    if "sudo sysctl -w vm.mmap_rnd_bits=28" not in corridas:
        falhas.append("vm.mmap_rnd_bits is not set to 28")
    notas = [p for p in passos if p.get("uses") == "classroom-resources/autograding-command-grader@v1"]
    vistos = []
    for p in notas:
        w = p.get("with", {})
        vistos.append((p.get("id"), w.get("command"), w.get("timeout")))
        if not p.get("id") == w.get("test-name") == p.get("name"):
            falhas.append(f"step {p.get('id')}: id, name and test-name differ")
        if w.get("max-score") != 10:
            falhas.append(f"step {p.get('id')}: max-score {w.get('max-score')}")
    if vistos != esperados:
        falhas.append(f"grader steps {vistos}, expected {esperados}")
    relator = passos[-1] if passos else {}
    if relator.get("uses") != "classroom-resources/autograding-grading-reporter@v1":
        falhas.append("the last step is not the grading reporter")
    ids = [e[0] for e in esperados]
    if relator.get("with", {}).get("runners") != ",".join(ids):
        falhas.append(f"runners: {relator.get('with', {}).get('runners')}")
    env = {f"{i.upper()}_RESULTS": f"${{{{ steps.{i}.outputs.result }}}}" for i in ids}
    if relator.get("env") != env:
        falhas.append(f"reporter env: {relator.get('env')}")
    for i, comando, _ in vistos:
        print(f"{i}\t{comando}")
    return falhas


def main():
    modo, completo = sys.argv[1], pathlib.Path(sys.argv[2])
    pastas = [pathlib.Path(p) for p in sys.argv[3:]]
    falhas = vazamentos(completo, pastas) if modo == "vazamentos" else workflow(completo, pastas[0])
    for f in falhas:
        print(f, file=sys.stderr)
    sys.exit(1 if falhas else 0)


if __name__ == "__main__":
    main()
