"""Gradescope's side of the grader: setup.sh proves it once in the image
(--prova: the references, the starting files, every wrong solution, the
hunts' answers and templates); run_autograder grades the one submission and always writes
results.json, whatever fails, even the grader's own import.
    gradescope.py --prova
    gradescope.py SUBMISSION RESULTS_JSON"""
import json
import os
import sys
import time
import traceback

RAIZ = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
TRABALHO = os.path.join(os.path.dirname(RAIZ), "trabalho")  # beside the course, root's alone
METADADOS = "/autograder/submission_metadata.json"


def aluno():
    """A name for the hidden cases' seed: the submitter, as Gradescope says."""
    try:
        usuarios = json.load(open(METADADOS)).get("users") or [{}]
        return str(usuarios[0].get("email") or usuarios[0].get("id") or usuarios[0].get("name") or "aluno")
    except (OSError, ValueError, AttributeError):
        return "aluno"


def caixa_possivel():
    """The full sandbox where this container lets bubblewrap make namespaces."""
    import caixa
    return "bwrap" if caixa.bwrap_funciona() else "reduzido"


def corrige(submissao, inicio):
    import entrega
    import relatorio
    import turma
    modo = caixa_possivel()
    correcao = turma.Correcao(RAIZ, TRABALHO, modo, aviso=lambda *_: None, cache=TRABALHO)
    arquivos = entrega.arquivos(submissao, correcao.curso)
    pasta = os.path.join(TRABALHO, "aluno")
    turma.grava_resultados(pasta, correcao.aluno(aluno(), arquivos))
    resultados = turma.le_resultados(pasta, correcao.curso)
    aviso = ("A caixa de areia desta correção é reduzida: este contêiner não deixa criar namespaces."
             if modo != "bwrap" else None)
    return relatorio.gradescope(correcao.curso, resultados, time.monotonic() - inicio, aviso)


def main(argv):
    if argv == ["--prova"]:
        import turma
        modo = caixa_possivel()
        turma.Correcao(RAIZ, TRABALHO, modo, cache=TRABALHO, erradas=True)
        print("correção provada nesta imagem, com a caixa de areia", modo)
        return 0
    submissao, destino = argv
    inicio = time.monotonic()
    try:
        dados = corrige(submissao, inicio)
    except Exception:  # the student still gets a result, and the teacher the cause in stdout
        traceback.print_exc()
        dados = {"score": 0, "execution_time": int(time.monotonic() - inicio), "output_format": "text",
                 "output": "A correção automática falhou antes de dar uma nota; avise o professor.", "tests": []}
    os.makedirs(os.path.dirname(destino), exist_ok=True)
    with open(destino, "w", encoding="utf-8") as f:
        json.dump(dados, f, ensure_ascii=False, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
